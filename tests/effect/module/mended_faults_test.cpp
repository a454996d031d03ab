// Faults of the original design that the module mends, shown through our host.
#include <gtest/gtest.h>

#include "minihost/world.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::test {
namespace {

// The pre-render record goes back through the release routine after every frame, so a
// long render holds no record per frame.
TEST(MendedFaults, PreRenderRecordIsReleasedAfterEveryFrame) {
  const auto host = ReadyHost();
  host->paths().set(kMaskId, TestPath(48, 32));
  SetControls(*host, DrawingControls());
  const World input = TestPicture(PixelFormat::k16, 48, 32, 0);
  const std::size_t live = host->handles().liveCount();
  for (int frame = 0; frame < 30; ++frame) {
    minihost::RenderOptions options;
    options.time = minihost::HostTime::Frame(frame);
    const minihost::Frame f = host->render(input, options);
    ASSERT_EQ(f.err, PF_Err_NONE) << frame;
    EXPECT_TRUE(f.preRenderDataReleased) << frame;
  }
  EXPECT_EQ(host->handles().liveCount(), live);
  EXPECT_TRUE(host->audit().balanced()) << host->audit().report();
}

}  // namespace
}  // namespace boxwander::test
