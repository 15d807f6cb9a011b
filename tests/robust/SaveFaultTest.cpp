// The record file under faults of the disk: a write cut off part-way, and a
// full disk. The old record stays whole, the error box shows, the window
// stays open and the game goes on; once the fault is lifted, the next close
// saves and closes.
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Unit1.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "tests/game/Bmp.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::headless::HeadlessHost;
using testing_support::TempFolder;

const std::string kOldRecord = "old line\r\n41\r\n1\r\n9\r\n2\r\n";
const std::string kBox = "{\"box\":\"ミルタスちゃん\",\"text\":";

class SaveFaultTest : public testing::Test {
 protected:
  void TearDown() override {
    form_.reset();
    host_.reset();
    mixer::WaveMixSetHost(nullptr);
    if (mounted_) ::umount2(folder_.Path().append("dat").c_str(), MNT_DETACH);
  }

  void Start(std::unique_ptr<HeadlessHost> host = nullptr) {
    folder_.Write("dat/my.dat", kOldRecord);
    folder_.Write("cg/start.bmp", testing_support::SolidBmp(400, 300, platform::Color{1, 2, 3}));
    host_ = host ? std::move(host) : std::make_unique<HeadlessHost>(folder_.Path());
    mixer::WaveMixSetHost(host_.get());
    form_ = std::make_unique<game::TForm1>(*host_);
    form_->FixSeed(3);
    ASSERT_TRUE(form_->Guarded([this] { form_->FormCreate(); }));
    form_->GameState.saved.hiScore = 57;
  }

  // The message boxes traced since the last call.
  std::vector<std::string> Boxes() {
    std::vector<std::string> boxes;
    const std::vector<std::string>& all = host_->Traced();
    for (; seen_ < all.size(); ++seen_)
      if (all[seen_].rfind(kBox, 0) == 0) boxes.push_back(all[seen_]);
    return boxes;
  }

  // Closes under the fault: refused with an error box naming the file and
  // `reason`, the old record whole, no temporary left, the game going on.
  void CloseFails(const char* reason) {
    host_->Main().Close();
    EXPECT_FALSE(host_->Main().Closed());
    const std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("my.dat"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find(reason), std::string::npos) << boxes[0];
    EXPECT_EQ(folder_.Read("dat/my.dat"), kOldRecord);
    for (const auto& entry : fs::directory_iterator(folder_ / "dat"))
      EXPECT_EQ(entry.path().filename().string().rfind("my.dat.", 0), std::string::npos) << entry.path();
    host_->Press(200, 150, platform::MouseButton::Left);
    host_->AdvanceMs(100);
    EXPECT_TRUE(form_->Timer1->Enabled());
  }

  // With the fault lifted: saved, confirmed, closed.
  void CloseSucceeds() {
    host_->Main().Close();
    EXPECT_TRUE(host_->Main().Closed());
    EXPECT_EQ(Boxes(), std::vector<std::string>{kBox + "\"どきゅん！！\"}"});
    EXPECT_EQ(folder_.Read("dat/my.dat"), "old line\r\n57\r\n1\r\n0\r\n0\r\n");
  }

  TempFolder folder_;
  std::unique_ptr<HeadlessHost> host_;
  std::unique_ptr<game::TForm1> form_;
  std::size_t seen_ = 0;
  bool mounted_ = false;
};

TEST_F(SaveFaultTest, AWriteCutOffPartWayKeepsTheOldRecord) {
  Start();
  // Files may grow to 8 bytes: the record's write stops after its first
  // line, the next write fails with EFBIG (SIGXFSZ ignored, as a process
  // that handles its errors would).
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
  rlimit tiny = old;
  tiny.rlim_cur = 8;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
  CloseFails(std::strerror(EFBIG));
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::sigaction(SIGXFSZ, &previous, nullptr);

  CloseSucceeds();
}

TEST_F(SaveFaultTest, AFullDiskKeepsTheOldRecord) {
  // dat/ on a tmpfs of two pages, filled up after the record is in place.
  const std::string dat = folder_ / "dat";
  fs::create_directories(dat);
  if (::mount("tmpfs", dat.c_str(), "tmpfs", 0, "size=8k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs (" << std::strerror(errno) << "); needs root";
  mounted_ = true;
  Start();
  {
    std::ofstream filler(folder_ / "dat/filler", std::ios::binary);
    const std::string page(4096, 'x');
    for (int i = 0; i < 4 && filler; ++i) filler.write(page.data(), std::streamsize(page.size())).flush();
  }
  ASSERT_LT(fs::file_size(folder_ / "dat/filler"), 8192u);  // it stopped when the disk was full
  CloseFails(std::strerror(ENOSPC));

  fs::remove(folder_ / "dat/filler");
  CloseSucceeds();
}

// The file's mode decides, not access(): a record nobody may write is
// refused for root too (CI runs as root). The box offers to quit without
// saving; its default, as a headless run answers, keeps the window.
TEST_F(SaveFaultTest, ARecordWithoutWritePermissionIsRefusedForEveryone) {
  Start();
  fs::permissions(folder_ / "dat/my.dat", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  CloseFails(std::strerror(EACCES));
  const std::vector<std::string>& traced = host_->Traced();
  EXPECT_TRUE(std::any_of(traced.begin(), traced.end(), [](const std::string& line) {
    return line.find("\"buttons\":[\"OK\",\"保存せずに終了\"]}") != std::string::npos;
  }));
  fs::permissions(folder_ / "dat/my.dat", fs::perms::owner_write, fs::perm_options::add);
  CloseSucceeds();
}

// A player who answers the failed save with its second button leaves: the
// window closes and the old record stays.
TEST_F(SaveFaultTest, QuitWithoutSavingClosesTheWindow) {
  struct Answering : HeadlessHost {
    using HeadlessHost::HeadlessHost;
    int ShowMessageBox(const std::string& caption, const std::string& text, platform::BoxIcon icon,
                       const std::vector<std::string>& buttons) override {
      HeadlessHost::ShowMessageBox(caption, text, icon, buttons);
      return int(buttons.size()) - 1;
    }
  };
  Start(std::make_unique<Answering>(folder_.Path()));
  fs::remove_all(folder_ / "dat");
  host_->Main().Close();
  EXPECT_TRUE(host_->Main().Closed());
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_FALSE(fs::exists(folder_ / "dat/my.dat"));
}

}  // namespace
