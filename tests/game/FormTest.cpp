#include "game/Unit1.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "tests/game/Bmp.h"
#include "tests/support/TempFolder.h"

namespace game {
namespace {

using platform::MouseButton;
using platform::headless::HeadlessHost;
using testing_support::SolidBmp;
using testing_support::TempFolder;

const platform::Color kStart{10, 20, 200};
const std::string kBox = "{\"box\":\"ミルタスちゃん\",\"text\":";

std::string Cue(const char* operation, const char* name) {
  return std::string("{\"cue\":\"") + operation + "\",\"name\":\"" + name + "\"}";
}

// Form1 on the headless host over a program folder made in the test.
class FormTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("dat/my.dat", "line one\r\n15\r\n1\r\n4\r\n2\r\n");
    folder_.Write("cg/start.bmp", SolidBmp(400, 300, kStart));
  }

  void Start(std::uint32_t seed = 5) {
    seen_ = 0;
    host_ = std::make_unique<HeadlessHost>(folder_.Path());
    mixer::WaveMixSetHost(host_.get());
    form_ = std::make_unique<TForm1>(*host_);
    form_->FixSeed(seed);
    form_->Guarded([this] { form_->FormCreate(); });
  }
  void TearDown() override {
    form_.reset();
    mixer::WaveMixSetHost(nullptr);
  }

  // The trace since the last call.
  std::vector<std::string> Trace() {
    const std::vector<std::string>& all = host_->Traced();
    std::vector<std::string> fresh(all.begin() + std::ptrdiff_t(seen_), all.end());
    seen_ = all.size();
    return fresh;
  }
  void Ticks(int n) { host_->AdvanceMs(std::uint64_t(n) * 20); }
  void Click(int x, int y, MouseButton button = MouseButton::Left) { host_->Press(x, y, button); }
  const GameState& State() const { return form_->GameState; }

  // Plays on until the question is asked, then answers it right or wrong.
  void Answer(bool right) {
    while (State().phase < 5) Ticks(1);
    const bool leftBigger = LeftValue(State()) > RightValue(State());
    Click(leftBigger == right ? 100 : 300, 150);
  }

  // Lets the last second of the game run out.
  void RunOut() {
    form_->GameState.timeLeft = 1;
    Ticks(51);
    ASSERT_TRUE(State().gameOver);
  }
  void PlayToGameOver() {
    Click(10, 10);
    RunOut();
  }

  TempFolder folder_;
  std::unique_ptr<HeadlessHost> host_;
  std::unique_ptr<TForm1> form_;
  std::size_t seen_ = 0;
};

TEST_F(FormTest, StartUpShowsTheTitle) {
  Start();
  EXPECT_EQ(host_->Caption(), "ミルタスチャレンジ");
  EXPECT_EQ(host_->ClientWidth(), 400);
  EXPECT_EQ(host_->ClientHeight(), 300);
  EXPECT_EQ(host_->ShownPicture(), &form_->cg);
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueMusic", "kuvol.mid")}));
  const GameState& s = State();
  EXPECT_EQ(s.saved.textLine, "line one");
  EXPECT_EQ(s.saved.hiScore, 15);
  EXPECT_EQ(s.saved.fixedOne, 1);
  EXPECT_EQ(s.saved.goodCount, 0);
  EXPECT_EQ(s.saved.missCount, 0);
  EXPECT_EQ(s.level, 1);
  EXPECT_EQ(s.timeLeft, 60);
  EXPECT_EQ(s.phase, 0);
  EXPECT_FALSE(form_->Timer1->Enabled());
  EXPECT_TRUE(form_->Timer2->Enabled());
  EXPECT_FALSE(form_->Timer3->Enabled());
  Ticks(3);
  EXPECT_EQ(form_->cg.PixelAt(200, 150), kStart);
  EXPECT_EQ(form_->bak.Width(), 400);
}

// Each failure of FormCreate: one error box, and the steps after it are not
// carried out (no start picture, no music, the laid-out size).
TEST_F(FormTest, StartUpFailures) {
  struct Case {
    const char* name;
    std::function<void(const TempFolder&)> damage;
    const char* textPart;
    bool recordRead;
  } cases[] = {
      {"record missing", [](const TempFolder& f) { std::filesystem::remove(f / "dat/my.dat"); }, "No such file",
       false},
      {"dat missing", [](const TempFolder& f) { std::filesystem::remove_all(f / "dat"); }, "No such file", false},
      {"record not numeric", [](const TempFolder& f) { f.Write("dat/my.dat", "\r\n12x\r\n"); },
       "Invalid numeric input", false},
      {"start picture missing", [](const TempFolder& f) { std::filesystem::remove(f / "cg/start.bmp"); },
       "start.bmp", true},
      {"start picture not a BMP", [](const TempFolder& f) { f.Write("cg/start.bmp", "not a picture"); }, "",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.damage(folder_);
    seen_ = 0;
    Start();
    const std::vector<std::string> trace = Trace();
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(trace[0].rfind(kBox, 0), 0u) << trace[0];
    EXPECT_NE(trace[0].find(c.textPart), std::string::npos) << trace[0];
    EXPECT_EQ(host_->ClientWidth(), 401);
    EXPECT_EQ(host_->ClientHeight(), 301);
    EXPECT_FALSE(form_->cg.Loaded());
    EXPECT_EQ(State().saved.hiScore, c.recordRead ? 15 : 0);
    EXPECT_EQ(State().saved.fixedOne, c.recordRead ? 1 : 0);  // read from the file, not set
    EXPECT_EQ(State().level, 0);
    EXPECT_EQ(State().timeLeft, 0);
    EXPECT_TRUE(form_->Timer2->Enabled());
    Ticks(2);  // the title frame runs on an empty picture
    EXPECT_TRUE(Trace().empty());
    TearDown();
  }
}

TEST_F(FormTest, MissingRecordIsCreatedByTheClose) {
  std::filesystem::remove(folder_ / "dat/my.dat");
  Start();
  host_->Main().Close();
  EXPECT_TRUE(host_->Main().Closed());
  EXPECT_EQ(folder_.Read("dat/my.dat"), "\r\n0\r\n0\r\n0\r\n0\r\n");
  TearDown();
  seen_ = 0;
  Start();
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueMusic", "kuvol.mid")}));
}

TEST_F(FormTest, CloseSavesBeforeTheConfirmation) {
  Start();
  Trace();
  std::string savedWhenConfirmed;
  std::vector<std::string> lines;
  host_->SetTraceSink([&](const std::string& line) {
    lines.push_back(line);
    if (line.find("box") != std::string::npos) savedWhenConfirmed = folder_.Read("dat/my.dat");
  });
  host_->Main().Close();
  EXPECT_TRUE(host_->Main().Closed());
  EXPECT_EQ(lines, (std::vector<std::string>{Cue("CueSound0", "1.wav"), kBox + "\"どきゅん！！\"}"}));
  EXPECT_EQ(savedWhenConfirmed, "line one\r\n15\r\n1\r\n0\r\n0\r\n");
}

TEST_F(FormTest, FailedSaveKeepsTheWindowOpen) {
  Start();
  std::filesystem::remove_all(folder_ / "dat");
  Trace();
  for (int attempt = 0; attempt < 2; ++attempt) {
    host_->Main().Close();
    EXPECT_FALSE(host_->Main().Closed());
    const std::vector<std::string> trace = Trace();
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0], Cue("CueSound0", "1.wav"));
    EXPECT_EQ(trace[1].rfind(kBox, 0), 0u);
    EXPECT_NE(trace[1].find("my.dat"), std::string::npos) << trace[1];
  }
  // The game goes on.
  Click(0, 0);
  EXPECT_TRUE(form_->Timer1->Enabled());
}

TEST_F(FormTest, KeysClearTheBestScoreUntilTheNextSave) {
  for (platform::Key key : {platform::Key::Space, platform::Key::Enter}) {
    SetUp();
    Start();
    host_->KeyPress(key);
    EXPECT_EQ(State().saved.hiScore, 0);
    EXPECT_EQ(folder_.Read("dat/my.dat").substr(0, 14), "line one\r\n15\r\n");
    TearDown();
  }
}

// The arrow keys and A/D answer exactly as a press on that half would, and
// only while a question is asked; Space and Enter keep clearing the best.
std::string Judged(const GameState& s) {
  return std::to_string(int(s.chosenSide)) + " phase " + std::to_string(s.phase) + " good " +
         std::to_string(s.saved.goodCount) + " miss " + std::to_string(s.saved.missCount) + " time " +
         std::to_string(s.timeLeft) + " level " + std::to_string(s.level);
}

TEST_F(FormTest, KeysAnswerLikeAPressOnTheirHalf) {
  using platform::Key;
  const struct {
    Key key;
    int x;
  } cases[] = {{Key::Left, 100}, {Key::A, 100}, {Key::Right, 300}, {Key::D, 300}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.key));
    // Twin games from one seed: one answers with the key, one with a press.
    std::string byPress;
    std::vector<std::string> pressTrace;
    for (const bool useKey : {false, true}) {
      SetUp();
      Start(9);
      // Keys do nothing on the title, early in a question, or at game over.
      host_->KeyPress(c.key);
      EXPECT_FALSE(form_->Timer1->Enabled());
      Click(0, 0);
      Ticks(2);
      host_->KeyPress(c.key);
      EXPECT_EQ(State().chosenSide, Side::None);
      while (State().phase < 5) Ticks(1);
      Trace();
      if (useKey) {
        host_->KeyPress(c.key);
        EXPECT_EQ(Judged(State()), byPress);
        EXPECT_EQ(Trace(), pressTrace);
        EXPECT_EQ(State().chosenSide, c.x < 200 ? Side::Left : Side::Right);
        RunOut();
        const std::string over = Judged(State());
        host_->KeyPress(c.key);
        EXPECT_EQ(Judged(State()), over);
        EXPECT_FALSE(host_->Main().Closed());
      } else {
        Click(c.x, 150);
        byPress = Judged(State());
        pressTrace = Trace();
      }
      TearDown();
    }
  }
}

// M mutes and unmutes the effects and the music at once, on the title, in a
// game and at game over, and changes nothing of the game.
TEST_F(FormTest, MTogglesMuteAndNothingElse) {
  Start(9);
  const auto press = [&] {
    const std::string before = Judged(State());
    host_->KeyPress(platform::Key::M);
    EXPECT_EQ(Judged(State()), before);
    return Trace();
  };
  Trace();
  EXPECT_FALSE(host_->Muted());
  EXPECT_EQ(press(), (std::vector<std::string>{"{\"muted\":true}"}));
  EXPECT_TRUE(host_->Muted());
  Click(0, 0);
  while (State().phase < 5) Ticks(1);
  Trace();
  EXPECT_EQ(press(), (std::vector<std::string>{"{\"muted\":false}"}));
  EXPECT_FALSE(host_->Muted());
  EXPECT_EQ(State().chosenSide, Side::None);
  RunOut();
  Trace();
  EXPECT_EQ(press(), (std::vector<std::string>{"{\"muted\":true}"}));
  EXPECT_FALSE(host_->Main().Closed());
}

// A gamepad's A starts a game from the title and is もう一回 at game over,
// with the same cues as those presses; during play it does nothing, and it
// never ends the program or clears the best.
TEST_F(FormTest, PadSouthStartsAndRestartsOnly) {
  Start(9);
  Trace();
  host_->KeyPress(platform::Key::PadSouth);
  EXPECT_TRUE(form_->Timer1->Enabled());
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueSound0", "1.wav"), Cue("CueSound0", "start.wav"),
                                               Cue("CueMusic", "T_ssix05.mid")}));
  while (State().phase < 5) Ticks(1);
  Trace();
  const std::string asking = Judged(State());
  host_->KeyPress(platform::Key::PadSouth);
  EXPECT_EQ(Judged(State()), asking);
  EXPECT_TRUE(Trace().empty());
  RunOut();
  Trace();
  host_->KeyPress(platform::Key::PadSouth);
  EXPECT_FALSE(host_->Main().Closed());
  EXPECT_EQ(State().saved.hiScore, 15);
  EXPECT_FALSE(form_->Timer1->Enabled());
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueSound0", "1.wav"), Cue("CueSound1", "yatta.wav")}));
}

TEST_F(FormTest, AnyPressStartsAGame) {
  for (MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
    SetUp();
    Start();
    Trace();
    form_->GameState.saved.missCount = 3;
    Click(399, 299, button);
    EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueSound0", "1.wav"), Cue("CueSound0", "start.wav"),
                                                 Cue("CueMusic", "T_ssix05.mid")}));
    EXPECT_TRUE(form_->Timer1->Enabled());
    EXPECT_FALSE(form_->Timer2->Enabled());
    EXPECT_TRUE(form_->Timer3->Enabled());
    EXPECT_EQ(State().timeLeft, 50);
    EXPECT_EQ(State().level, 0);
    EXPECT_EQ(State().saved.missCount, 3);
    TearDown();
  }
}

TEST_F(FormTest, AnswersAreJudgedOncePerQuestion) {
  Start();
  Click(0, 0);
  Trace();
  Answer(true);
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueSound0", "good.wav")}));
  EXPECT_EQ(State().saved.goodCount, 1);
  Click(100, 150);  // during the reaction
  Click(300, 150);
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(State().saved.goodCount, 1);
  Ticks(8);
  EXPECT_EQ(State().level, 1);

  const std::int32_t time = State().timeLeft;
  Answer(false);
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueSound0", "gya1.wav")}));
  EXPECT_EQ(State().timeLeft, time - 1);
  EXPECT_EQ(State().saved.missCount, 1);
  Ticks(8);
  EXPECT_EQ(State().level, 1);
}

// A press before the fifth tick of a question does not count.
TEST_F(FormTest, EarlyPressesAreIgnored) {
  Start();
  Click(0, 0);
  Ticks(4);
  EXPECT_EQ(State().phase, 4);
  Click(100, 150);
  EXPECT_EQ(State().chosenSide, Side::None);
  Ticks(1);
  Click(100, 150);
  EXPECT_EQ(State().chosenSide, Side::Left);
}

TEST_F(FormTest, LevelUpFanfareAtSix) {
  Start();
  Click(0, 0);
  for (int i = 0; i < 5; ++i) {
    Answer(true);
    Ticks(8);
  }
  Trace();
  Answer(true);
  Ticks(8);
  EXPECT_EQ(State().level, 6);
  EXPECT_EQ(State().phase, 300);
  const std::vector<std::string> trace = Trace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), Cue("CueSound0", "lv.wav")), 1);
  Ticks(12);
  EXPECT_EQ(KindOf(State().level), QuestionKind::Sums);
  EXPECT_EQ(State().phase, 1);
}

TEST_F(FormTest, WrongAnswerWithOneSecondLeftEndsTheGame) {
  Start();
  Click(0, 0);
  Answer(true);
  form_->GameState.timeLeft = 1;
  Ticks(8);
  Answer(false);
  EXPECT_EQ(State().timeLeft, 0);
  Click(100, 150);
  EXPECT_EQ(State().saved.missCount, 1);
  Trace();
  Ticks(1);
  EXPECT_TRUE(State().gameOver);
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueMusic", "rei.mid"), Cue("CueSound0", "katan.wav")}));
}

TEST_F(FormTest, GameOverCuesOnceAndCountdownStops) {
  Start();
  Click(0, 0);
  Trace();
  Ticks(50 * 50 + 1);
  const std::vector<std::string> trace = Trace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), Cue("CueSound0", "time.wav")), 50);
  EXPECT_EQ(trace.back(), Cue("CueSound0", "katan.wav"));
  EXPECT_TRUE(State().gameOver);
  EXPECT_EQ(State().saved.hiScore, 15);  // 0 right answers against 15
  Ticks(200);
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(State().timeLeft, 0);
  EXPECT_TRUE(form_->Timer3->Enabled());
}

TEST_F(FormTest, GameOverPlaces) {
  Start();
  PlayToGameOver();
  Trace();
  for (auto [x, y] : {std::pair{57, 219}, {0, 258}, {200, 150}}) Click(x, y);
  EXPECT_TRUE(Trace().empty());
  EXPECT_TRUE(State().gameOver);

  form_->GameState.saved.missCount = 4;
  Click(56, 219);
  EXPECT_EQ(Trace(), (std::vector<std::string>{Cue("CueSound0", "1.wav"), Cue("CueSound1", "yatta.wav")}));
  EXPECT_FALSE(State().gameOver);
  EXPECT_FALSE(form_->Timer1->Enabled());
  EXPECT_TRUE(form_->Timer2->Enabled());
  EXPECT_FALSE(form_->Timer3->Enabled());
  EXPECT_EQ(State().timeLeft, 50);
  Ticks(1);
  EXPECT_EQ(form_->cg.PixelAt(200, 150), kStart);

  Click(0, 0);
  EXPECT_EQ(State().saved.goodCount, 0);
  EXPECT_EQ(State().saved.missCount, 4);
  RunOut();
  Trace();
  Click(0, 294);
  EXPECT_TRUE(host_->Main().Closed());
  EXPECT_EQ(Trace().back(), kBox + "\"どきゅん！！\"}");
}

TEST_F(FormTest, RestartWithoutStartPictureIsReported) {
  Start();
  PlayToGameOver();
  std::filesystem::remove(folder_ / "cg/start.bmp");
  Trace();
  Click(0, 230);
  const std::vector<std::string> trace = Trace();
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[2].rfind(kBox, 0), 0u);
  // The steps before the load stand: the title state.
  EXPECT_FALSE(State().gameOver);
  EXPECT_TRUE(form_->Timer2->Enabled());
  EXPECT_EQ(State().phase, 0);
  Ticks(5);
  Click(0, 0);
  EXPECT_TRUE(form_->Timer1->Enabled());
}

TEST_F(FormTest, NewBestAtGameOver) {
  form_.reset();
  folder_.Write("dat/my.dat", "\r\n1\r\n1\r\n0\r\n0\r\n");
  Start();
  Click(0, 0);
  Answer(true);
  Ticks(8);
  Answer(true);
  RunOut();
  EXPECT_EQ(State().saved.hiScore, 2);
  host_->Main().Close();
  EXPECT_EQ(folder_.Read("dat/my.dat"), "\r\n2\r\n1\r\n2\r\n0\r\n");
}

}  // namespace
}  // namespace game
