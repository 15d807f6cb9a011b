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
  // The record is kept twice: in IndexedDB with the folder, and in
  // localStorage, which is written at once and so survives a page closed
  // right after. The copy in localStorage comes with the time it was stored
  // ("stamp") and is the one read at start-up.
  const record = dat + "/my.dat";
  const key = "kesto:" + record;
  const readStored = () => {
    try {
      const stored = JSON.parse(localStorage.getItem(key));
      return stored && typeof stored.record === "string" ? stored : null;
    } catch (e) {
      return null;
    }
  };
  let syncing = false, again = false;
  const sync = () => {
    if (syncing) { again = true; return; }
    syncing = true;
    FS.syncfs(false, (err) => {
      syncing = false;
      if (err) console.warn("kesto: the record could not be stored", err);
      if (again) { again = false; sync(); }
    });
  };
  const stored = readStored();
  if (stored) FS.writeFile(record, stored.record);
  // What this tab last read or wrote: the stamp of that copy and its best.
  // "cleared": the player here has cleared the best since.
  let seen = stored ? stored.stamp : 0;
  let known = stored ? stored.best : null, cleared = false;
  const current = () => {
    const p = _kesto_web_record();
    return p ? UTF8ToString(p) : null;
  };
  const take = (copy) => {
    seen = copy.stamp;
    known = copy.best;
    _kesto_web_take_best(copy.best);
    FS.writeFile(record, current());
  };
  // Stores the game's record quietly. A best another tab stored after this
  // tab read is never lowered, unless the player here cleared it: the game
  // takes that best instead.
  const store = () => {
    const text = current();
    if (text === null) return;
    const best = _kesto_web_best();
    const other = readStored();
    if (other && other.stamp > seen && other.best > best && !cleared) {
      take(other);
      sync();
      return;
    }
    const stamp = Math.max(Date.now(), other ? other.stamp + 1 : 0);
    try {
      localStorage.setItem(key, JSON.stringify({ record: text, best, stamp }));
    } catch (e) {
      console.warn("kesto: the record could not be mirrored", e);
    }
    seen = stamp;
    known = best;
    cleared = false;
    FS.writeFile(record, text);
    sync();
  };
  // The best changes at a game over and by the 初期化 button; the game lowers
  // it only there.
  const watch = () => {
    if (!_kesto_web_record()) return;
    const best = _kesto_web_best();
    if (best === known) return;
    if (known !== null && best < known) cleared = true;
    store();
  };
  setInterval(watch, 200);
  addEventListener("pagehide", store);
  document.addEventListener("visibilitychange", () => {
    if (document.visibilityState === "hidden") store();
  });
  // Another tab stored a record: this one goes on with it.
  addEventListener("storage", (event) => {
    if (event.key !== key || current() === null) return;
    const other = readStored();
    if (other && other.stamp > seen) take(other);
  });
  // The game's own save writes a temporary file and renames it over my.dat.
  const rename = FS.rename;
  FS.rename = (from, to) => {
    rename(from, to);
    if (FS.lookupPath(to).path === record) store();
  };
  sync();
});

EM_ASYNC_JS(void, JsFetchFile, (const char* url, const char* path), {
  const to = UTF8ToString(path);
  try {
    const response = await fetch(UTF8ToString(url), { credentials: "same-origin" });
    if (!response.ok) throw new Error(response.status + " " + response.statusText);
    FS.mkdirTree(to.slice(0, to.lastIndexOf("/")));
    FS.writeFile(to, new Uint8Array(await response.arrayBuffer()));
  } catch (e) {
    console.error("kesto: " + UTF8ToString(url) + " could not be fetched", e);
  }
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

void FetchFile(const std::string& url, const std::string& path) { JsFetchFile(url.c_str(), path.c_str()); }

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
void PageMuted(bool muted) { JsPageCall("setMuted", muted ? "1" : "0"); }

}  // namespace platform::web
