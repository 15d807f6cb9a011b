#include "app/Application.h"

#include <exception>
#include <iostream>

#include "mixer/WaveMix.h"
#include "platform/Files.h"
#include "platform/sdl/SdlHost.h"

namespace app {

std::unique_ptr<game::TForm1> CreateForm1(platform::Host& host, std::optional<std::uint32_t> seed,
                                          const FormFactory& make) {
  std::unique_ptr<game::TForm1> form;
  try {
    form = make ? make(host) : std::make_unique<game::TForm1>(host);
  } catch (const std::exception& e) {
    host.ShowMessageBox("Application Error", e.what(), platform::BoxIcon::Error);
    return nullptr;
  }
  if (seed) form->FixSeed(*seed);
  form->Guarded([&] { form->FormCreate(); });
  return form;
}

int RunWindowed() {
  std::unique_ptr<platform::Host> host;
  try {
    const std::string folder = platform::FindGameFolder(platform::ExecutableFolder());
    host = platform::sdl::CreateSdlHost(folder);
    host->SetRecordFolder(platform::FindRecordFolder(folder));
  } catch (const std::exception& e) {
    std::cerr << "kesto: " << e.what() << '\n';
    return 1;
  }
  mixer::WaveMixSetHost(host.get());
  int code = 1;
  if (std::unique_ptr<game::TForm1> form = CreateForm1(*host)) code = host->Run();
  mixer::WaveMixSetHost(nullptr);
  return code;
}

}  // namespace app
