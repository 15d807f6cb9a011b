// Steady-state frames allocate nothing: every operator new is counted.
#include <gtest/gtest.h>

#include "game/Unit1.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "tests/game/Bmp.h"
#include "tests/support/TempFolder.h"
#include "tests/support/CountingNew.h"

namespace game {
namespace {

class AllocationTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("dat/my.dat", "\r\n5\r\n1\r\n0\r\n0\r\n");
    folder_.Write("cg/start.bmp", testing_support::SolidBmp(400, 300, {1, 2, 3}));
    host_ = std::make_unique<platform::headless::HeadlessHost>(folder_.Path());
    mixer::WaveMixSetHost(host_.get());
    form_ = std::make_unique<TForm1>(*host_);
    form_->FixSeed(2);
    form_->FormCreate();
  }
  void TearDown() override {
    form_.reset();
    mixer::WaveMixSetHost(nullptr);
  }

  // Allocations over `count` calls of `step`, after `warmUp` calls.
  template <class Step>
  long Count(Step step, int warmUp = 50, int count = 200) {
    for (int i = 0; i < warmUp; ++i) step();
    const long before = allocations;
    for (int i = 0; i < count; ++i) step();
    return allocations - before;
  }

  testing_support::TempFolder folder_;
  std::unique_ptr<platform::headless::HeadlessHost> host_;
  std::unique_ptr<TForm1> form_;
};

TEST_F(AllocationTest, CounterSeesAllocations) {
  EXPECT_EQ(Count(
                [] {
                  int* volatile p = new int(1);
                  delete p;
                },
                0, 3), 3);
}

TEST_F(AllocationTest, TitleFrames) { EXPECT_EQ(Count([&] { form_->Timer2Timer(); }), 0); }

TEST_F(AllocationTest, PlayFramesWhileAsking) {
  form_->cgMouseDown(0, 0, platform::MouseButton::Left);
  EXPECT_EQ(Count([&] { form_->Timer1Timer(); }), 0);
  EXPECT_EQ(form_->GameState.phase, 16);
}

TEST_F(AllocationTest, PlayFramesDuringTheHighlight) {
  form_->cgMouseDown(0, 0, platform::MouseButton::Left);
  for (int i = 0; i < 20; ++i) form_->Timer1Timer();
  // Keep the reaction going: each tick shows the chosen side's highlight.
  auto react = [&] {
    form_->GameState.phase = 103;
    form_->Timer1Timer();
  };
  form_->cgMouseDown(300, 150, platform::MouseButton::Left);
  EXPECT_EQ(Count(react), 0);
}

TEST_F(AllocationTest, GameOverFrames) {
  form_->cgMouseDown(0, 0, platform::MouseButton::Left);
  form_->GameState.timeLeft = 0;
  EXPECT_EQ(Count([&] { form_->Timer1Timer(); }), 0);
  EXPECT_TRUE(form_->GameState.gameOver);
}

}  // namespace
}  // namespace game
