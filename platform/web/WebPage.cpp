#include "platform/web/WebPage.h"

#include <emscripten.h>

namespace platform::web {
namespace {

// The page script may be missing (the module run on its own): boxes are then
// confirmed at once and the rest does nothing.
EM_ASYNC_JS(void, JsPrepareFolder, (const char* folder), {
  const root = UTF8ToString(folder);
  const dat = root + "dat";
  FS.mkdirTree(dat);
  FS.mount(IDBFS, {}, dat);
  await new Promise((done) => FS.syncfs(true, (err) => {
    if (err) console.warn("kesto: the stored record could not be read", err);
    done();
  }));
  // The dat/ of the package (waves and a fresh record) is preloaded beside the
  // folder; a stored record wins over the fresh one.
  const shipped = "/package/dat";
  if (FS.analyzePath(shipped).exists) {
    for (const name of FS.readdir(shipped)) {
      if (name === "." || name === "..") continue;
      const to = dat + "/" + name;
      if (name === "my.dat" && FS.analyzePath(to).exists) continue;
      FS.writeFile(to, FS.readFile(shipped + "/" + name));
    }
  }
  // The record is saved by writing a temporary file and renaming it over
  // my.dat: every such rename is followed by a write-back to IndexedDB.
  const record = dat + "/my.dat";
  let syncing = false, again = false;
  const sync = () => {
    if (syncing) { again = true; return; }
    syncing = true;
    FS.syncfs(false, (err) => {
      syncing = false;
      if (err) console.warn("kesto: the record could not be stored", err);
      if (typeof kestoPage !== "undefined" && kestoPage.recordStored) kestoPage.recordStored(!err);
      if (again) { again = false; sync(); }
    });
  };
  const rename = FS.rename;
  FS.rename = (from, to) => {
    rename(from, to);
    if (FS.lookupPath(to).path === record) sync();
  };
  sync();
});

EM_JS(int, JsOpenBox, (const char* caption, const char* text, int error), {
  if (typeof kestoPage === "undefined" || !kestoPage.openBox) return 0;
  return kestoPage.openBox(UTF8ToString(caption), UTF8ToString(text), !!error);
});

EM_JS(int, JsBoxConfirmed, (int box), {
  return typeof kestoPage === "undefined" || !kestoPage.boxConfirmed || kestoPage.boxConfirmed(box) ? 1 : 0;
});

EM_JS(void, JsPageCall, (const char* name, const char* argument), {
  const fn = typeof kestoPage === "undefined" ? null : kestoPage[UTF8ToString(name)];
  if (fn) fn.call(kestoPage, argument ? UTF8ToString(argument) : undefined);
});

}  // namespace

void PrepareFolder(const std::string& folder) { JsPrepareFolder(folder.c_str()); }

int OpenBox(const std::string& caption, const std::string& text, bool error) {
  return JsOpenBox(caption.c_str(), text.c_str(), error ? 1 : 0);
}

bool BoxConfirmed(int box) { return JsBoxConfirmed(box) != 0; }

void Running() { JsPageCall("running", nullptr); }
void Ended() { JsPageCall("ended", nullptr); }

void MusicOpen(const std::string& midiPath) {
  // dat/kuvol.mid -> kuvol
  std::string name = midiPath.substr(midiPath.find_last_of('/') + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos) name.erase(dot);
  JsPageCall("musicOpen", name.c_str());
}
void MusicPlay() { JsPageCall("musicPlay", nullptr); }
void MusicClose() { JsPageCall("musicClose", nullptr); }

}  // namespace platform::web
