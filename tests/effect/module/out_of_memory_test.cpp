// Out of memory inside the module: the entry point answers 4 and everything the frame
// held goes back. The allocations the module makes itself are made to fail here by
// replacing the global allocation functions of this test program, which the loaded
// module uses too.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "minihost/world.h"
#include "tests/effect/module/module_host.h"

namespace {

// 0: no failure; n: the n-th allocation made by the module from now on fails.
std::atomic<int> g_failModuleAllocation{0};

bool CalledFromModule(const void* caller) {
  Dl_info info{};
  return dladdr(caller, &info) != 0 && info.dli_fname != nullptr &&
         std::strstr(info.dli_fname, "libboxwander") != nullptr;
}

}  // namespace

void* operator new(std::size_t size) {
  if (g_failModuleAllocation.load() > 0 && CalledFromModule(__builtin_return_address(0)) &&
      g_failModuleAllocation.fetch_sub(1) == 1) {
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
// The other forms share the same memory, so every pairing of new and delete matches.
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

namespace boxwander::test {
namespace {

TEST(OutOfMemory, ModuleAllocationFailureAnswersFourAndReleasesEverything) {
  struct Case {
    const char* name;
    int failing;  // which of the module's allocations fails
  };
  const Case cases[] = {
      {"the rectangle list itself", 1},
      {"a rectangle in the middle of the walk", 6},
  };
  const World input = TestPicture(PixelFormat::k8, 64, 48, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto host = ReadyHost();
    host->paths().set(kMaskId, TestPath(64, 48));
    SetControls(*host, DrawingControls());
    g_failModuleAllocation = c.failing;
    const minihost::Frame f = host->render(input);
    const bool fired = g_failModuleAllocation.load() == 0;
    g_failModuleAllocation = 0;
    ASSERT_TRUE(fired) << "the module made fewer allocations";
    EXPECT_EQ(f.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_TRUE(host->ledger().misbehaviours().empty()) << "nothing thrown at the host";
    EXPECT_TRUE(f.audit.balanced()) << f.audit.report();
  }
}

}  // namespace
}  // namespace boxwander::test
