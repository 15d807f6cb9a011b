#include "app/HeadlessRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/Application.h"
#include "platform/MediaError.h"
#include "platform/headless/HeadlessHost.h"
#include "tests/game/Bmp.h"
#include "tests/support/TempFolder.h"

namespace app {
namespace {

using testing_support::TempFolder;

struct Outcome {
  int code;
  std::string out, err;
};

class RunnerTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("dat/my.dat", "\r\n3\r\n1\r\n0\r\n0\r\n");
    folder_.Write("cg/start.bmp", testing_support::SolidBmp(400, 300, {200, 100, 0}));
  }

  Outcome Script(const std::string& script, std::vector<std::string> args = {"--seed", "11"}) {
    args.insert(args.begin(), {"--folder", folder_.Path()});
    std::istringstream in(script);
    std::ostringstream out, err;
    const int code = RunHeadless(args, in, out, err);
    return {code, out.str(), err.str()};
  }

  TempFolder folder_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST_F(RunnerTest, BadScriptLinesAndArguments) {
  struct Case {
    std::string script;
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {"# start\n\njump\n", {}, "script line 3: unknown command 'jump'"},
      {"tick x\n", {}, "script line 1: bad tick count 'x'"},
      {"tick -1\n", {}, "script line 1: bad tick count '-1'"},
      {"tick 1 2\n", {}, "script line 1: 'tick' takes 0 to 1 argument(s), got 2"},
      {"click 1\n", {}, "script line 1: 'click' takes 2 to 3 argument(s), got 1"},
      {"click 400 0\n", {}, "script line 1: bad X '400'"},
      {"click 0 12y\n", {}, "script line 1: bad Y '12y'"},
      {"click 1 2 side\n", {}, "script line 1: bad button 'side'"},
      {"tick\nkey esc\n", {}, "script line 2: bad key 'esc'"},
      {"close now\n", {}, "script line 1: 'close' takes 0 argument(s), got 1"},
      {"shot\n", {}, "script line 1: 'shot' takes 1 argument(s), got 0"},
      {"shot /no/such/folder/x.png\n", {}, "script line 1: cannot write the picture"},
      {"", {"--seed"}, "--seed needs a value"},
      {"", {"--seed", "-4"}, "bad seed '-4'"},
      {"", {"--bogus"}, "unknown argument '--bogus'"},
      {"", {"--script", "/no/such/script"}, "cannot open the script '/no/such/script'"},
      {"device gone\n", {}, "script line 1: bad device state 'gone'"},
      {"", {"--device", "none"}, "bad device state 'none'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script + c.message);
    const Outcome run = Script(c.script, c.args);
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err.rfind("kesto: " + c.message, 0), 0u) << run.err;
  }
}

TEST_F(RunnerTest, StateLineHasEveryField) {
  const Outcome run = Script("state\n");
  ASSERT_EQ(run.code, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "{\"cue\":\"CueMusic\",\"name\":\"kuvol.mid\"}");
  // Every "name": in order; the one text value holds no quote.
  std::vector<std::string> keys;
  for (std::size_t at = lines[1].find("\":"); at != std::string::npos; at = lines[1].find("\":", at + 1)) {
    const std::size_t open = lines[1].rfind('"', at - 1);
    keys.push_back(lines[1].substr(open + 1, at - open - 1));
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"textLine", "hiScore", "fixedOne", "goodCount", "missCount", "leftFirst",
                                            "rightFirst", "leftSecond", "rightSecond", "level", "timeLeft",
                                            "frameCount", "phase", "chosenSide", "gameOver", "timer1", "timer2",
                                            "timer3"}));
  EXPECT_NE(lines[1].find("\"hiScore\":3,"), std::string::npos);
  EXPECT_NE(lines[1].find("\"timer2\":true,"), std::string::npos);
}

// A whole game: start, let the time run out, end on the game-over screen.
TEST_F(RunnerTest, WholeGameToTheEnd) {
  const std::string script =
      "click 5 5 right\n"
      "tick 20\n"
      "click 300 150\n"
      "tick 2600\n"
      "state\n"
      "click 0 270\n"
      "state\n";
  const Outcome first = Script(script);
  ASSERT_EQ(first.code, 0) << first.err;
  const std::vector<std::string> lines = Lines(first.out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines.back(), "{\"exit\":0}");
  EXPECT_EQ(lines[lines.size() - 2], "{\"box\":\"ミルタスちゃん\",\"text\":\"どきゅん！！\"}");
  const std::string& state = lines[lines.size() - 4];
  EXPECT_NE(state.find("\"gameOver\":true"), std::string::npos) << state;
  EXPECT_NE(state.find("\"timeLeft\":0"), std::string::npos) << state;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "{\"cue\":\"CueSound0\",\"name\":\"katan.wav\"}"), 1);
  EXPECT_TRUE(folder_.Read("dat/my.dat").ends_with("\r\n1\r\n0\r\n") ||
              folder_.Read("dat/my.dat").ends_with("\r\n1\r\n1\r\n"));
}

TEST_F(RunnerTest, SameSeedSameGame) {
  const std::string script = "click 0 0\ntick 12\nclick 300 150\ntick 30\nclick 100 150\ntick 30\nstate\n";
  const Outcome first = Script(script, {"--seed", "99"});
  EXPECT_EQ(Script(script, {"--seed", "99"}).out, first.out);
  EXPECT_NE(Script(script, {"--seed", "98"}).out, first.out);
}

TEST_F(RunnerTest, EndOfScriptStopsWithoutSaving) {
  const Outcome run = Script("key space\nstate\n");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out.find("exit"), std::string::npos);
  EXPECT_EQ(run.out.find("box"), std::string::npos);
  EXPECT_EQ(folder_.Read("dat/my.dat"), "\r\n3\r\n1\r\n0\r\n0\r\n");
}

TEST_F(RunnerTest, CloseEndsTheRun) {
  const Outcome run = Script("key enter\nclose\nstate\njump\n");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(run.out.ends_with("{\"exit\":0}\n"));
  EXPECT_EQ(run.out.find("textLine"), std::string::npos);
  EXPECT_EQ(folder_.Read("dat/my.dat"), "\r\n0\r\n1\r\n0\r\n0\r\n");
}

TEST_F(RunnerTest, FailedCloseKeepsRunning) {
  std::filesystem::remove(folder_ / "dat/my.dat");
  std::filesystem::create_directories(folder_ / "dat/my.dat");
  const Outcome run = Script("close\nstate\n");
  EXPECT_EQ(run.code, 0);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u);  // start-up box, close cue, close box, state
  EXPECT_EQ(lines[2].rfind("{\"box\":\"ミルタスちゃん\"", 0), 0u);
  EXPECT_EQ(lines[3].rfind("{\"textLine\"", 0), 0u);
}

TEST_F(RunnerTest, ShotWritesTheVisiblePicture) {
  const std::string png = folder_ / "title.png";
  const Outcome run = Script("tick\nshot " + png + "\n");
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string bytes = folder_.Read("title.png");
  ASSERT_GE(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  auto be32 = [&](std::size_t at) {
    return (unsigned char)bytes[at] << 24 | (unsigned char)bytes[at + 1] << 16 | (unsigned char)bytes[at + 2] << 8 |
           (unsigned char)bytes[at + 3];
  };
  EXPECT_EQ(be32(16), 400u);
  EXPECT_EQ(be32(20), 300u);
}

// `--device` sets the virtual device before the window is made, the
// `device` command during the run; the game says when its sound goes and
// comes back, in the trace and on stderr.
TEST_F(RunnerTest, DeviceStatesFromTheCommandLineAndTheScript) {
  const std::string off = "{\"sound\":\"off\",\"reason\":";
  struct Case {
    std::vector<std::string> args;
    std::string script;
    std::vector<std::string> soundLines;
  } cases[] = {
      {{"--device", "busy"}, "device present\nclick 200 150\n",
       {off + "\"Failed to open waveform output device #4\"}", "{\"sound\":\"on\"}"}},
      {{"--device", "absent"}, "click 200 150\ntick 100\n", {off + "\"No wave output devices available\"}"}},
      // The time.wav cue finds the device gone.
      {{}, "click 200 150\ntick 10\ndevice absent\ntick 60\n",
       {off + "\"The waveform device can\\u00b4t play this format\"}"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--seed", "1"});
    std::ostringstream said;
    platform::RestartSilentMediaReport(&said);
    const Outcome run = Script(c.script, args);
    platform::RestartSilentMediaReport(nullptr);
    EXPECT_EQ(run.code, 0) << run.err;
    std::vector<std::string> sound;
    for (const std::string& line : Lines(run.out))
      if (line.rfind("{\"sound\"", 0) == 0) sound.push_back(line);
    EXPECT_EQ(sound, c.soundLines);
    // One line however often the device is missed (the folder's missing
    // waves and music have theirs).
    std::vector<std::string> saidLines = Lines(said.str());
    EXPECT_EQ(std::count_if(saidLines.begin(), saidLines.end(),
                            [](const std::string& line) { return line.rfind("kesto: playing without sound: ", 0) == 0; }),
              1)
        << said.str();
  }
}

TEST_F(RunnerTest, ScriptFromAFile) {
  folder_.Write("s.txt", "state\n");
  const Outcome run = Script("jump\n", {"--script", folder_ / "s.txt"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("\"level\":1"), std::string::npos);
}

// --help names every option and succeeds; a bad scale or argument is
// refused before any window opens.
TEST(Application, HelpAndBadArguments) {
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(Main({"--help"}, in, out, err), 0);
  for (const char* option :
       {"--headless", "--seed", "--script", "--folder", "--audio-out", "--device", "--scale", "--help"})
    EXPECT_NE(out.str().find(option), std::string::npos) << option;
  EXPECT_TRUE(err.str().empty());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--scale", "0"}, {"--scale", "9"}, {"--scale", "2x"}, {"--scale"}, {"--fast"}}) {
    std::ostringstream quiet, complaint;
    EXPECT_EQ(Main(args, in, quiet, complaint), 2) << args[0];
    EXPECT_EQ(complaint.str().rfind("kesto: ", 0), 0u) << complaint.str();
  }
}

TEST(Application, ComponentFailureEndsWithoutAWindow) {
  platform::headless::HeadlessHost host("/nonexistent/");
  const auto form = CreateForm1(host, 1, [](platform::Host&) -> std::unique_ptr<game::TForm1> {
    throw std::runtime_error("Initialization failed (WaveMixInit)");
  });
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(host.Traced(), (std::vector<std::string>{
                               "{\"box\":\"Application Error\",\"text\":\"Initialization failed (WaveMixInit)\"}"}));
}

}  // namespace
}  // namespace app
