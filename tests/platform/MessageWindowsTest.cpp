#include "platform/MessageWindows.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace platform {
namespace {

struct Received {
  WindowHandle window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  bool operator==(const Received&) const = default;
};
std::vector<Received> received;
MessageWindows* repost = nullptr;  // set: message 1 posts message 2 to its own window

void Record(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  received.push_back({window, message, wParam, lParam});
  if (repost && message == 1) repost->Post(window, 2, 0, 0);
}

class MessageWindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    repost = nullptr;
    std::uint32_t error = 99;
    ASSERT_TRUE(windows.RegisterWindowClass("Record", Record, &error));
    EXPECT_EQ(error, 0u);
  }
  MessageWindows windows;
};

TEST_F(MessageWindowsTest, ClassesAndWindows) {
  std::uint32_t error = 0;
  EXPECT_FALSE(windows.RegisterWindowClass("Record", Record, &error));
  EXPECT_EQ(error, kErrorClassAlreadyExists);
  ASSERT_TRUE(windows.RegisterWindowClass("Empty", nullptr, nullptr));
  EXPECT_EQ(windows.CreateHiddenWindow("Empty"), 0u);
  EXPECT_EQ(windows.CreateHiddenWindow("Unknown"), 0u);
  const WindowHandle a = windows.CreateHiddenWindow("Record");
  const WindowHandle b = windows.CreateHiddenWindow("Record");
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  windows.DestroyHiddenWindow(a);
  EXPECT_FALSE(windows.Post(a, 1, 0, 0));
  EXPECT_TRUE(windows.Post(b, 1, 0, 0));
}

TEST_F(MessageWindowsTest, DispatchRunsInPostingOrderAndCountsDroppedMessages) {
  const WindowHandle kept = windows.CreateHiddenWindow("Record");
  const WindowHandle gone = windows.CreateHiddenWindow("Record");
  ASSERT_TRUE(windows.Post(kept, 7, 1, -1));
  ASSERT_TRUE(windows.Post(gone, 7, 2, -2));
  ASSERT_TRUE(windows.Post(kept, 7, 3, -3));
  windows.DestroyHiddenWindow(gone);

  // One at a time, as a host does for each wake-up event: the dropped
  // message uses up its turn, so later turns stay in step with the events.
  EXPECT_EQ(windows.Dispatch(1), 1u);
  EXPECT_EQ(received, (std::vector<Received>{{kept, 7, 1, -1}}));
  EXPECT_EQ(windows.Dispatch(1), 1u);
  EXPECT_EQ(received.size(), 1u);
  EXPECT_EQ(windows.Dispatch(1), 1u);
  EXPECT_EQ(received.back(), (Received{kept, 7, 3, -3}));
  EXPECT_EQ(windows.Dispatch(1), 0u);

  // Without a limit, messages posted by a procedure run in the same call.
  repost = &windows;
  ASSERT_TRUE(windows.Post(kept, 1, 0, 0));
  EXPECT_EQ(windows.Dispatch(), 2u);
  EXPECT_EQ(received.back(), (Received{kept, 2, 0, 0}));
}

TEST_F(MessageWindowsTest, WakeUpPerPostAndARefusedWakeUpTakesTheMessageBack) {
  const WindowHandle window = windows.CreateHiddenWindow("Record");
  int wakeUps = 0;
  bool accept = true;
  windows.SetWakeUp([&] { return ++wakeUps, accept; });
  EXPECT_TRUE(windows.Post(window, 1, 0, 0));
  accept = false;
  EXPECT_FALSE(windows.Post(window, 5, 0, 0));
  EXPECT_EQ(wakeUps, 2);
  EXPECT_EQ(windows.Dispatch(), 1u);
  EXPECT_EQ(received, (std::vector<Received>{{window, 1, 0, 0}}));
}

TEST_F(MessageWindowsTest, PostsFromAnotherThreadWakeTheWaiterAndKeepTheirOrder) {
  const WindowHandle window = windows.CreateHiddenWindow("Record");
  EXPECT_FALSE(windows.WaitForPosted(std::chrono::milliseconds(1)));
  std::thread poster([&] {
    for (std::uintptr_t i = 0; i < 100; ++i) windows.Post(window, 3, i, 0);
  });
  EXPECT_TRUE(windows.WaitForPosted(std::chrono::seconds(10)));
  poster.join();
  windows.Dispatch();
  ASSERT_EQ(received.size(), 100u);
  for (std::uintptr_t i = 0; i < 100; ++i) EXPECT_EQ(received[i].wParam, i);
}

}  // namespace
}  // namespace platform
