#include "platform/win32/Console.h"

#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

#include "platform/win32/Text.h"

namespace platform::win32 {
namespace {

// The console the program was started from, attached at the first need;
// nullptr when it has none.
HANDLE ParentConsole() {
  static const HANDLE console = [] {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return HANDLE(nullptr);
    const HANDLE handle = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    return handle == INVALID_HANDLE_VALUE ? HANDLE(nullptr) : handle;
  }();
  return console;
}

// Whole lines of UTF-8 to the parent's console as UTF-16, or kept for the box.
class LineBuffer final : public std::streambuf {
 public:
  explicit LineBuffer(std::string& kept) : kept_(kept) {}
  ~LineBuffer() override { Flush(); }

 protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return 0;
    pending_ += char(c);
    if (c == '\n') Flush();
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, std::size_t(count));
    if (pending_.find('\n') != std::string::npos) Flush();
    return count;
  }
  int sync() override {
    Flush();
    return 0;
  }

 private:
  void Flush() {
    if (pending_.empty()) return;
    if (const HANDLE console = ParentConsole()) {
      const std::wstring wide = Widen(pending_);
      DWORD written = 0;
      WriteConsoleW(console, wide.data(), DWORD(wide.size()), &written, nullptr);
    } else {
      kept_ += pending_;
    }
    pending_.clear();
  }

  std::string& kept_;
  std::string pending_;
};

bool HasHandle(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

struct StartupConsole::Streams {
  std::string outKept, errKept;
  LineBuffer out{outKept}, err{errKept};
  std::streambuf* oldOut = nullptr;
  std::streambuf* oldErr = nullptr;
};

StartupConsole::StartupConsole() {
  const bool out = !HasHandle(STD_OUTPUT_HANDLE), err = !HasHandle(STD_ERROR_HANDLE);
  if (!out && !err) return;
  streams_ = std::make_unique<Streams>();
  if (out) streams_->oldOut = std::cout.rdbuf(&streams_->out);
  if (err) streams_->oldErr = std::cerr.rdbuf(&streams_->err);
}

StartupConsole::~StartupConsole() {
  if (!streams_) return;
  std::cout.flush();
  std::cerr.flush();
  if (streams_->oldOut) std::cout.rdbuf(streams_->oldOut);
  if (streams_->oldErr) std::cerr.rdbuf(streams_->oldErr);
  streams_->out.pubsync();
  streams_->err.pubsync();
  const std::string text = streams_->errKept + streams_->outKept;
  if (!text.empty())
    MessageBoxW(nullptr, Widen(text).c_str(), L"kesto",
                MB_OK | MB_SETFOREGROUND | (streams_->errKept.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
}

}  // namespace platform::win32
