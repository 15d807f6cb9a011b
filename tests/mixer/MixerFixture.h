// A headless host with a virtual wave-out device, WAVEMIX.INI in a fresh
// folder, and the mixer's process-wide state cleaned up after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "mixer/Channels.h"
#include "mixer/Output.h"
#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"
#include "tests/mixer/WavBuilder.h"

namespace mixer_test {

namespace fs = std::filesystem;
using platform::headless::HeadlessHost;
using platform::headless::VirtualDevice;
using platform::headless::VirtualWaveOut;
using platform::headless::VirtualWaveOutConfig;

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    folder_ = fs::temp_directory_path() / ("kesto_mixer_" + name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    unsetenv("WAVEMIX_INI");
    host_ = std::make_unique<HeadlessHost>(folder_.string());
    mixer::WaveMixSetHost(host_.get());
    UseDevices(VirtualWaveOutConfig{});
  }

  void TearDown() override {
    // Waves of a session that ended went with it.
    for (mixer::MixWave* wave : waves_)
      if (mixer::HoldsWave(wave)) mixer::FreeHeldWave(wave);
    if (mixer::currentSession) {
      try {
        mixer::WaveMixEndSession(mixer::currentSession);
      } catch (...) {
      }
    }
    mixer::currentSession = nullptr;
    mixer::deviceOwner = nullptr;
    host_.reset();
    mixer::WaveMixSetHost(nullptr);
    fs::remove_all(folder_);
  }

  void UseDevices(VirtualWaveOutConfig config) {
    auto device = std::make_unique<VirtualWaveOut>(*host_, std::move(config));
    device_ = device.get();
    host_->SetWaveOut(std::move(device));
  }

  // WAVEMIX.INI in the program's folder.
  void WriteIni(const std::string& text) { std::ofstream(folder_ / "WAVEMIX.INI", std::ios::binary) << text; }

  std::string WriteFile(const std::string& name, const Bytes& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
  }

  // A wave loaded from a memory image into the current session.
  mixer::MixWave* LoadMemory(const Bytes& image) {
    mixer::MMIOINFO info = mixer::MemoryImage(image.data(), image.size());
    return mixer::WaveMixLoadWave(mixer::currentSession, &info, nullptr, mixer::LOAD_MEMORY);
  }

  // A session holding the device, with the channels of `mask` open.
  mixer::MixSession* Active(std::uint8_t mask = 0xFF) {
    mixer::MixSession* s = mixer::WaveMixInit();
    mixer::WaveMixActivate(s, 1);
    for (int i = 0; i < 8; ++i)
      if (mask & (1 << i)) mixer::WaveMixOpenChannels(s, i, mixer::CHANNELS_ONE);
    return s;
  }

  // A wave of `bytes` in the output format, freed after the test unless Released.
  mixer::MixWave* Wave(const Bytes& bytes) {
    waves_.push_back(LoadMemory(Wav({}, bytes)));
    return waves_.back();
  }
  mixer::MixWave* Constant(std::size_t length, std::uint8_t value) { return Wave(Bytes(length, value)); }
  mixer::MixWave* Ramp(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = std::uint8_t(i * 13 + i / 256);
    return Wave(bytes);
  }
  void Release(mixer::MixWave* wave) {
    std::erase(waves_, wave);
    mixer::WaveMixReleaseWave(mixer::currentSession, wave);
  }

  mixer::MixPlayParams Params(std::int32_t channel, mixer::MixWave* wave, std::uint32_t flags = 0,
                              std::uint16_t loops = 0, platform::WindowHandle notify = 0) {
    return mixer::MixPlayParams{24, mixer::currentSession, channel, wave, notify, flags, loops};
  }
  void Play(std::int32_t channel, mixer::MixWave* wave, std::uint32_t flags = 0, std::uint16_t loops = 0,
            platform::WindowHandle notify = 0) {
    mixer::MixPlayParams params = Params(channel, wave, flags, loops, notify);
    mixer::WaveMixPlay(&params);
  }

  // The channel's queue, as waves in order.
  std::vector<mixer::MixWave*> Queue(int channel) {
    std::vector<mixer::MixWave*> out;
    for (mixer::MixPlayRequest* r = mixer::currentSession->channel[channel]; r; r = r->next) out.push_back(r->wave);
    return out;
  }

  const Bytes& Heard() { return device_->Recording(); }

  std::vector<mixer::MixWave*> waves_;
  fs::path folder_;
  std::unique_ptr<HeadlessHost> host_;
  VirtualWaveOut* device_ = nullptr;
};

// The message an EWaveMixError carries, or "" when `action` does not throw one.
template <class Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const mixer::EWaveMixError& e) {
    return e.what();
  }
  return "";
}

}  // namespace mixer_test
