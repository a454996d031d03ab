#include "draw/reveal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "draw/reveal_walk.h"
#include "draw_fixture.h"

namespace boxwander {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(ShrinkSpan, ScalesTheSidesAboutTheAnchor) {
  const struct Case {
    const char* name;
    RectRecord record;
    std::int32_t ax, ay;
    double ratio;
    RectSpan expected;
  } cases[] = {
      // Offsets 0, 6, -2, 2: each of magnitude 2 or more moves one pixel right or down.
      {"ratio 1", {7, 5, 10, 5, 3, 2}, 7, 5, 1.0, {10, 6, 3, 4, 2, 2}},
      {"ratio 0 leaves a sliver beside the anchor",
       {7, 5, 10, 5, 3, 2},
       7,
       5,
       0.0,
       {7, 6, 0, 1, 0, 0}},
      {"ratio 0, anchor inside", {2, 5, 4, 5, 2, 1}, 2, 5, 0.0, {2, 5, 0, 1, 1, 1}},
      {"ratio 2/3", {7, 5, 10, 5, 3, 2}, 7, 5, 2.0 / 3.0, {9, 6, 2, 3, 1, 1}},
      {"offsets -1, 0 and 1 stay", {5, 5, 5, 5, 1, 1}, 5, 5, 0.0, {5, 5, 1, 1, 1, 1}},
      {"centre truncated toward zero", {0, 0, -3, 0, 2, 0}, 0, 0, 1.0, {-2, 0, 2, 1, 0, 0}},
      {"sides beyond the 32-bit range",
       {0, 0, kMax - 1, 0, 5, 0},
       0,
       0,
       0.5,
       {1073741823, 0, 2, 3, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShrinkSpan(c.record, c.ax, c.ay, c.ratio), c.expected) << c.name;
  }
}

TEST(RevealBudget, HalvesAndTotalsWithoutOverflow) {
  const struct Case {
    const char* name;
    std::int32_t mode;
    double time;
    std::int32_t rectCount, halfWidthTotal;
    RevealBudget expected;
  } cases[] = {
      {"0.5 is still the first half", kModeContinuous, 0.5, 3, 9, {true, 9}},
      {"rounded in the length modes", kModeDiscrete1, 0.25, 3, 9, {true, 5}},
      {"floored by count", kModeDiscrete2, 0.25, 3, 9, {true, 1}},
      {"second half starts again from 0", kModeContinuous, 0.5000001, 3, 9, {false, 0}},
      {"doubled total beyond 32 bits", kModeContinuous, 0.5, 0, kMax, {true, kMax}},
      {"doubled count beyond 32 bits", kModeDiscrete2, 0.75, kMax, 0, {false, 1073741823}},
  };
  for (const Case& c : cases) {
    const RevealBudget b = ComputeRevealBudget(c.mode, c.time, c.rectCount, c.halfWidthTotal);
    EXPECT_EQ(b.firstHalf, c.expected.firstHalf) << c.name;
    EXPECT_EQ(b.budget, c.expected.budget) << c.name;
  }
}

// A chain of three: half widths 2, 3 and 4, so halfWidthTotal is 9.
const std::vector<RectRecord> kChain = {
    {2, 5, 4, 5, 2, 1}, {7, 5, 10, 5, 3, 2}, {14, 5, 18, 5, 4, 1}};

struct Drawn {
  std::size_t index;
  RectSpan span;
  friend bool operator==(const Drawn&, const Drawn&) = default;
};
void PrintTo(const Drawn& d, std::ostream* os) {
  *os << "#" << d.index << " ";
  PrintTo(d.span, os);
}

using Report = std::pair<std::int32_t, std::int32_t>;

struct Walked {
  std::vector<Drawn> drawn;
  std::vector<Report> reports;
  ErrorCode result = kErrNone;
};

// Runs the walk with a recording draw; progress answers from `answers` in turn (0 after).
Walked Walk(const std::vector<RectRecord>& chain, std::int32_t mode, double time,
            std::vector<ErrorCode> answers = {}) {
  RevealFrame frame;
  frame.mode = mode;
  frame.time = time;
  for (const RectRecord& r : chain) {
    frame.rects.append(r);
    frame.halfWidthTotal += r.halfWidth;
  }
  frame.rectCount = static_cast<std::int32_t>(chain.size());

  Walked out;
  const ProgressFn progress = [&](std::int32_t done, std::int32_t total) {
    const std::size_t call = out.reports.size();
    out.reports.emplace_back(done, total);
    return call < answers.size() ? answers[call] : kErrNone;
  };
  out.result = WalkReveal(frame, progress, [&](const RectRecord& record, const RectSpan& span) {
    std::size_t index = 0;
    while (index < chain.size() && !(chain[index] == record)) {
      ++index;
    }
    out.drawn.push_back({index, span});
  });
  return out;
}

Drawn Whole(std::size_t i) {
  return {i, WholeSpan(kChain[i])};
}
Drawn Shrunk(std::size_t i, std::int32_t ax, std::int32_t ay, double ratio) {
  return {i, ShrinkSpan(kChain[i], ax, ay, ratio)};
}

TEST(RevealWalk, DrawsWhatTimeAndModeLeaveVisible) {
  const double tiny = 1e-6;
  const double justPastHalf = 0.5 + 1e-9;
  const std::vector<Report> all = {{1, 3}, {2, 3}, {3, 3}};
  const struct Case {
    const char* name;
    std::int32_t mode;
    double time;
    std::vector<Drawn> drawn;
    std::vector<Report> reports;
  } cases[] = {
      // First half, budget 0: only the first rectangle, and it is not reported.
      {"budget 0, Continuous: first grows from its anchor",
       kModeContinuous,
       tiny,
       {Shrunk(0, 2, 5, 0.0)},
       {}},
      {"budget 0, Discrete 1", kModeDiscrete1, tiny, {Whole(0)}, {}},
      {"budget 0, Discrete 2", kModeDiscrete2, tiny, {Whole(0)}, {}},
      // Budget 2 equals the first half width: the next one shows with nothing visible.
      {"budget = first half width, Continuous",
       kModeContinuous,
       2.0 / 18.0,
       {Whole(0), Shrunk(1, 7, 5, 0.0)},
       {{1, 3}}},
      {"budget = first half width, Discrete 1",
       kModeDiscrete1,
       2.0 / 18.0,
       {Whole(0), Whole(1)},
       {{1, 3}}},
      {"budget 4, Continuous: second two thirds grown",
       kModeContinuous,
       4.0 / 18.0,
       {Whole(0), Shrunk(1, 7, 5, 2.0 / 3.0)},
       {{1, 3}}},
      {"Discrete 2 budget 1 draws 2", kModeDiscrete2, 4.0 / 18.0, {Whole(0), Whole(1)}, {{1, 3}}},
      {"0.5, Continuous", kModeContinuous, 0.5, {Whole(0), Whole(1), Whole(2)}, all},
      {"0.5, Discrete 1", kModeDiscrete1, 0.5, {Whole(0), Whole(1), Whole(2)}, all},
      {"0.5, Discrete 2", kModeDiscrete2, 0.5, {Whole(0), Whole(1), Whole(2)}, all},
      // Second half, budget 0: the first starts shrinking toward the second's anchor.
      {"just past 0.5, Continuous",
       kModeContinuous,
       justPastHalf,
       {Shrunk(0, 7, 5, 1.0), Whole(1), Whole(2)},
       all},
      {"just past 0.5, Discrete 1",
       kModeDiscrete1,
       justPastHalf,
       {Whole(0), Whole(1), Whole(2)},
       all},
      {"just past 0.5, Discrete 2",
       kModeDiscrete2,
       justPastHalf,
       {Whole(0), Whole(1), Whole(2)},
       all},
      // Second half, budget 4: the first is gone, a third of the second is left.
      {"second half budget 4, Continuous",
       kModeContinuous,
       0.5 + 4.0 / 18.0,
       {Shrunk(1, 14, 5, 1.0 / 3.0), Whole(2)},
       {{1, 3}, {2, 3}}},
      {"second half budget 4, Discrete 1",
       kModeDiscrete1,
       0.5 + 4.0 / 18.0,
       {Whole(1), Whole(2)},
       {{1, 3}, {2, 3}}},
      // Discrete 2 counts the skipped rectangles too, so its reports end at rectCount.
      {"second half budget 1, Discrete 2",
       kModeDiscrete2,
       0.5 + 4.0 / 18.0,
       {Whole(1), Whole(2)},
       {{2, 3}, {3, 3}}},
      // Budget equal to the whole chain: only the last is left, vanishing toward its own
      // anchor mirrored through its centre, (22, 5).
      {"budget = total, Continuous", kModeContinuous, 0.99, {Shrunk(2, 22, 5, 0.0)}, {{1, 3}}},
      {"budget = total, Discrete 1", kModeDiscrete1, 0.99, {Whole(2)}, {{1, 3}}},
      {"budget = count - 1, Discrete 2", kModeDiscrete2, 0.99, {Whole(2)}, {{3, 3}}},
  };
  for (const Case& c : cases) {
    const Walked w = Walk(kChain, c.mode, c.time);
    EXPECT_EQ(w.drawn, c.drawn) << c.name;
    EXPECT_EQ(w.reports, c.reports) << c.name;
    EXPECT_EQ(w.result, kErrNone) << c.name;
  }
}

TEST(RevealWalk, LoneRectangleAndEmptyList) {
  const Walked lone = Walk({kChain[0]}, kModeContinuous, 0.5 + 1e-9);
  EXPECT_EQ(lone.drawn, (std::vector<Drawn>{Shrunk(0, 6, 5, 1.0)}));
  EXPECT_EQ(lone.reports, (std::vector<Report>{{1, 1}}));

  for (const std::int32_t mode : {kModeContinuous, kModeDiscrete1, kModeDiscrete2}) {
    for (const double time : {1e-6, 0.3, 0.5, 0.7, 0.99}) {
      const Walked w = Walk({}, mode, time);
      EXPECT_TRUE(w.drawn.empty()) << mode << " " << time;
      EXPECT_TRUE(w.reports.empty()) << mode << " " << time;
    }
  }
}

TEST(RevealWalk, FailedProgressStopsReportsNotDrawing) {
  const Walked w = Walk(kChain, kModeContinuous, 0.5, {kErrNone, 7, 9});
  EXPECT_EQ(w.result, 7);
  EXPECT_EQ(w.reports, (std::vector<Report>{{1, 3}, {2, 3}}));
  EXPECT_EQ(w.drawn, (std::vector<Drawn>{Whole(0), Whole(1), Whole(2)}));
}

// RevealWalk itself draws the walk's spans, in each depth, into the frame's output.
template <class P>
void CheckRevealDraws(P sample, P background) {
  DrawLook settings = DrawSettings();
  settings.time = 4.0 / 18.0;
  settings.edge_brightness = 0.0;
  const Image<P> input(24, 10, sample);
  Image<P> revealed(24, 10, background);
  Image<P> expected = revealed;

  RevealFrame frame;
  AttachImages(frame, settings, input, revealed);
  for (const RectRecord& r : kChain) {
    frame.rects.append(r);
  }
  frame.rectCount = 3;
  frame.halfWidthTotal = 9;
  std::vector<Report> reports;
  const ErrorCode result = RevealWalk(frame, [&](std::int32_t done, std::int32_t total) {
    reports.emplace_back(done, total);
    return kErrNone;
  });

  RevealFrame reference;
  AttachImages(reference, settings, input, expected);
  DrawRectangle(reference, kChain[0], Whole(0).span);
  DrawRectangle(reference, kChain[1], Shrunk(1, 7, 5, 2.0 / 3.0).span);

  EXPECT_EQ(result, kErrNone);
  EXPECT_EQ(reports, (std::vector<Report>{{1, 3}}));
  EXPECT_TRUE(SameImage(revealed, expected));
  EXPECT_FALSE(SameImage(revealed, Image<P>(24, 10, background)));
  // No progress callable at all is allowed.
  EXPECT_EQ(RevealWalk(frame, {}), kErrNone);
}

TEST(RevealWalk, DrawsIntoEveryDepth) {
  CheckRevealDraws<Pixel8>({255, 200, 100, 50}, {255, 0, 0, 0});
  CheckRevealDraws<Pixel16>({32768, 20000, 100, 50}, {32768, 0, 0, 0});
  CheckRevealDraws<PixelFloat>({1.0f, 2.0f, 0.5f, 0.25f}, {1.0f, 0.0f, 0.0f, 0.0f});
}

}  // namespace
}  // namespace boxwander
