#include "app/HeadlessRunner.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "app/Application.h"
#include "game/Layout.h"
#include "mixer/WaveMix.h"
#include "platform/Files.h"
#include "platform/Json.h"
#include "platform/Picture.h"
#include "platform/ScriptLines.h"
#include "platform/Signals.h"
#include "platform/WavFile.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"

namespace app {
namespace {

using platform::headless::HeadlessHost;

// A bad argument or script line; the text says what is wrong with it.
class ScriptError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

std::optional<std::int64_t> ToInteger(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

void ExpectArguments(const std::vector<std::string>& words, std::size_t least, std::size_t most) {
  const std::size_t given = words.size() - 1;
  if (given < least || given > most) {
    throw ScriptError("'" + words[0] + "' takes " +
                      (least == most ? std::to_string(least) : std::to_string(least) + " to " + std::to_string(most)) +
                      " argument(s), got " + std::to_string(given));
  }
}

std::string StateJson(const game::TForm1& form) {
  const game::GameState& s = form.GameState;
  std::ostringstream json;
  auto flag = [](bool b) { return b ? "true" : "false"; };
  json << "{\"textLine\":" << platform::JsonString(s.saved.textLine) << ",\"hiScore\":" << s.saved.hiScore
       << ",\"fixedOne\":" << s.saved.fixedOne << ",\"goodCount\":" << s.saved.goodCount
       << ",\"missCount\":" << s.saved.missCount << ",\"leftFirst\":" << s.leftFirst
       << ",\"rightFirst\":" << s.rightFirst << ",\"leftSecond\":" << s.leftSecond
       << ",\"rightSecond\":" << s.rightSecond << ",\"level\":" << s.level << ",\"timeLeft\":" << s.timeLeft
       << ",\"frameCount\":" << s.frameCount << ",\"phase\":" << s.phase
       << ",\"chosenSide\":" << std::int32_t(s.chosenSide) << ",\"gameOver\":" << flag(s.gameOver)
       << ",\"timer1\":" << flag(form.Timer1->Enabled())
       << ",\"timer2\":" << flag(form.Timer2->Enabled()) << ",\"timer3\":" << flag(form.Timer3->Enabled()) << "}";
  return json.str();
}

// The visible 400 x 300 of cg; a picture of another size shows from the
// top-left corner on white.
void Shot(const platform::Picture& cg, const std::string& path) {
  using game::kPictureHeight, game::kPictureWidth;
  if (cg.Width() == kPictureWidth && cg.Height() == kPictureHeight) {
    cg.SavePng(path);
    return;
  }
  platform::Picture visible(kPictureWidth, kPictureHeight);
  const int w = std::min(cg.Width(), kPictureWidth), h = std::min(cg.Height(), kPictureHeight);
  visible.CopyRect(platform::Rect{0, 0, w, h}, cg, platform::Rect{0, 0, w, h});
  visible.SavePng(path);
}

// The virtual wave-out device's state, as `--device` and the `device`
// command name it: present; absent (unplugged: none is listed, an open one
// stops and fails); busy (listed, but it will not open, as when another
// program holds it).
void CheckDeviceState(const std::string& state) {
  if (state != "present" && state != "absent" && state != "busy") {
    throw ScriptError("bad device state '" + state + "' (expected present, absent or busy)");
  }
}

void SetDeviceState(platform::headless::VirtualWaveOut& device, const std::string& state) {
  CheckDeviceState(state);
  device.SetUnplugged(state == "absent");
  device.Faults().openResult = state == "busy" ? platform::mm::kAllocated : platform::mm::kNoError;
}

struct Options {
  std::optional<std::uint32_t> seed;
  std::optional<std::string> script;
  std::optional<std::string> folder;
  std::optional<std::string> audioOut;
  std::string device = "present";
};

Options ParseArguments(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name != "--seed" && name != "--script" && name != "--folder" && name != "--audio-out" && name != "--device") {
      throw ScriptError("unknown argument '" + name + "'");
    }
    if (i + 1 == args.size()) throw ScriptError(name + " needs a value");
    const std::string& value = args[++i];
    if (name == "--seed") {
      options.seed = std::uint32_t(WholeNumber(value, 0, UINT32_MAX, "seed"));
    } else if (name == "--script") {
      options.script = value;
    } else if (name == "--audio-out") {
      options.audioOut = value;
    } else if (name == "--device") {
      CheckDeviceState(value);
      options.device = value;
    } else {
      options.folder = value;
    }
  }
  return options;
}

// What a command works on.
struct Run {
  HeadlessHost& host;
  game::TForm1& form;
  std::ostream& out;
  platform::headless::VirtualWaveOut& device;
};

// Each command's arguments as values, checked; a bad one throws ScriptError.
std::int64_t TickCount(const std::vector<std::string>& words) {
  return words.size() == 2 ? WholeNumber(words[1], 0, 100'000'000, "tick count") : 1;
}

struct Press {
  int x, y;
  platform::MouseButton button;
};

Press ClickArguments(const std::vector<std::string>& words) {
  Press press{int(WholeNumber(words[1], 0, game::kPictureWidth - 1, "X")),
              int(WholeNumber(words[2], 0, game::kPictureHeight - 1, "Y")), platform::MouseButton::Left};
  if (words.size() == 4) {
    if (words[3] == "right") {
      press.button = platform::MouseButton::Right;
    } else if (words[3] == "middle") {
      press.button = platform::MouseButton::Middle;
    } else if (words[3] != "left") {
      throw ScriptError("bad button '" + words[3] + "' (expected left, right or middle)");
    }
  }
  return press;
}

platform::Key KeyArgument(const std::vector<std::string>& words) {
  using platform::Key;
  static constexpr std::pair<std::string_view, Key> kKeys[] = {
      {"space", Key::Space}, {"enter", Key::Enter}, {"left", Key::Left},
      {"right", Key::Right}, {"a", Key::A},         {"d", Key::D}, {"m", Key::M},
  };
  for (const auto& [name, key] : kKeys) {
    if (words[1] == name) return key;
  }
  throw ScriptError("bad key '" + words[1] + "' (expected space, enter, left, right, a, d or m)");
}

void Tick(Run& run, const std::vector<std::string>& words) {
  run.host.AdvanceMs(std::uint64_t(TickCount(words)) * 20);
}

void Click(Run& run, const std::vector<std::string>& words) {
  const Press press = ClickArguments(words);
  run.host.Press(press.x, press.y, press.button);
}

void KeyCommand(Run& run, const std::vector<std::string>& words) { run.host.KeyPress(KeyArgument(words)); }

void Close(Run& run, const std::vector<std::string>&) {
  run.host.Main().Close();
  run.host.DispatchPosted();
}

void DeviceCommand(Run& run, const std::vector<std::string>& words) { SetDeviceState(run.device, words[1]); }

void State(Run& run, const std::vector<std::string>&) { run.out << StateJson(run.form) << '\n' << std::flush; }

void ShotCommand(Run& run, const std::vector<std::string>& words) {
  try {
    Shot(run.form.cg, words[1]);
  } catch (const std::exception& e) {
    throw ScriptError(std::string("cannot write the picture: ") + e.what());
  }
}

struct Command {
  std::string_view name;
  std::size_t leastArguments, mostArguments;
  void (*run)(Run&, const std::vector<std::string>& words);
  // Checks the arguments' values without running; none for commands whose
  // arguments are taken as they are.
  void (*check)(const std::vector<std::string>& words);
};

constexpr Command kCommands[] = {
    {"tick", 0, 1, Tick, [](const std::vector<std::string>& w) { TickCount(w); }},
    {"click", 2, 3, Click, [](const std::vector<std::string>& w) { ClickArguments(w); }},
    {"key", 1, 1, KeyCommand, [](const std::vector<std::string>& w) { KeyArgument(w); }},
    {"close", 0, 0, Close, nullptr},
    {"state", 0, 0, State, nullptr},
    {"shot", 1, 1, ShotCommand, nullptr},
    {"device", 1, 1, DeviceCommand, [](const std::vector<std::string>& w) { CheckDeviceState(w[1]); }},
};

// The command of a line, its argument count checked.
const Command& Find(const std::vector<std::string>& words) {
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return c.name == words[0]; });
  if (command == std::end(kCommands)) throw ScriptError("unknown command '" + words[0] + "'");
  ExpectArguments(words, command->leastArguments, command->mostArguments);
  return *command;
}

// Runs one command; true when the window has closed.
bool Execute(const std::vector<std::string>& words, Run& run) {
  Find(words).run(run, words);
  return run.host.Main().Closed();
}

}  // namespace

std::int64_t WholeNumber(const std::string& text, std::int64_t low, std::int64_t high, const char* what) {
  const std::optional<std::int64_t> value = ToInteger(text);
  if (!value || *value < low || *value > high) {
    throw ScriptError(std::string("bad ") + what + " '" + text + "' (expected " + std::to_string(low) + " to " +
                      std::to_string(high) + ")");
  }
  return *value;
}

void CheckScriptLine(const std::vector<std::string>& words) {
  if (words.empty()) throw ScriptError("empty line");
  const Command& command = Find(words);
  if (command.check) command.check(words);
}

int RunHeadless(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  Options options;
  try {
    options = ParseArguments(args);
  } catch (const ScriptError& e) {
    err << "kesto: " << e.what() << '\n';
    return 2;
  }
  std::ifstream file;
  if (options.script) {
    file.open(*options.script);
    if (!file) {
      err << "kesto: cannot open the script '" << *options.script << "'\n";
      return 2;
    }
  }
  std::istream& script = options.script ? static_cast<std::istream&>(file) : in;

  // A folder named on the command line is played as it is, its record in its
  // own dat/; otherwise the game's folder and record are found as the
  // windowed game finds them.
  const std::string folder = options.folder ? *options.folder : platform::FindGameFolder(platform::ExecutableFolder());
  HeadlessHost host(folder);
  // A quit signal ends even a long `tick` between two of its events.
  host.SetStopCheck([] { return platform::QuitSignal() != 0; });
  if (!options.folder) host.SetRecordFolder(platform::FindRecordFolder(folder));
  host.SetTraceSink([&out](const std::string& line) { out << line << '\n' << std::flush; });
  // The device keeps what it played only when asked to, silences included,
  // so that a byte's place in the file is its instant of virtual time.
  auto device = std::make_unique<platform::headless::VirtualWaveOut>(host);
  platform::headless::VirtualWaveOut& waveOut = *device;
  waveOut.SetRecording(options.audioOut.has_value());
  waveOut.SetRecordGaps(true);
  SetDeviceState(waveOut, options.device);
  host.SetWaveOut(std::move(device));
  const auto writeAudio = [&]() {
    if (!options.audioOut) return 0;
    try {
      // A device never opened played nothing, in the mixer's own format.
      const platform::PcmWaveFormat never{1, 1, 11025, 11025, 1, 8};
      const platform::PcmWaveFormat& format = waveOut.OpenFormat().formatTag ? waveOut.OpenFormat() : never;
      platform::WriteWavFile(*options.audioOut, format, waveOut.Recording());
    } catch (const std::exception& e) {
      err << "kesto: " << e.what() << '\n';
      return 2;
    }
    return 0;
  };
  mixer::WaveMixSetHost(&host);
  struct Detach {
    ~Detach() { mixer::WaveMixSetHost(nullptr); }
  } detach;

  std::unique_ptr<game::TForm1> form = CreateForm1(host, options.seed);
  if (!form) {
    host.Trace("{\"exit\":1}");
    return 1;
  }
  const auto end = [&](int code) {
    form.reset();
    const int audioCode = writeAudio();
    if (code == 0) code = audioCode;
    host.Trace("{\"exit\":" + std::to_string(code) + "}");
    return code;
  };
  // A quit signal ends the run as it ends the window: saved, no box.
  const auto signalled = [&] { return end(SaveAfterQuitSignal(*form, err)); };
  Run run{host, *form, out, waveOut};
  for (platform::ScriptLines lines(script); !platform::QuitSignal() && lines.Next();) {
    if (platform::QuitSignal()) break;
    try {
      if (Execute(lines.Words(), run)) return end(0);
    } catch (const ScriptError& e) {
      err << "kesto: script line " << lines.Number() << ": " << e.what() << '\n';
      return 2;
    }
  }
  if (platform::QuitSignal()) return signalled();
  return writeAudio();
}

}  // namespace app
