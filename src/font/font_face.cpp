#include "font/font_face.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

#include "base/error.h"
#include "font/messages.h"

namespace panelix::font {

namespace {

// A CJK ideograph every Chinese face has (汉); a fallback face without it cannot draw the
// libraries.
constexpr FcChar32 kProbe = 0x6C49;

struct PatternCloser {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetCloser {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};

std::string GetString(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) == FcResultMatch && value != nullptr) {
    return reinterpret_cast<const char*>(value);
  }
  return {};
}

bool HasFamily(FcPattern* pattern, const std::string& family) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(value, reinterpret_cast<const FcChar8*>(family.c_str())) == 0) {
      return true;
    }
  }
  return false;
}

bool HasProbe(FcPattern* pattern) {
  FcCharSet* charset = nullptr;
  return FcPatternGetCharSet(pattern, FC_CHARSET, 0, &charset) == FcResultMatch &&
         FcCharSetHasChar(charset, kProbe) != 0;
}

// Names that stand for a kind of face rather than a family; fontconfig's choice for them is no
// substitution.
bool IsGenericFamily(const std::string& family) {
  static constexpr const char* kGeneric[] = {"sans-serif", "sans",    "serif",     "monospace", "mono",
                                             "cursive",    "fantasy", "system-ui", "emoji",     "math"};
  for (const char* name : kGeneric) {
    if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(name),
                           reinterpret_cast<const FcChar8*>(family.c_str())) == 0) {
      return true;
    }
  }
  return false;
}

FontSource SourceOf(FcPattern* pattern) {
  FontSource source;
  source.path = GetString(pattern, FC_FILE);
  int index = 0;
  if (FcPatternGetInteger(pattern, FC_INDEX, 0, &index) == FcResultMatch) {
    source.index = index;
  }
  source.family = GetString(pattern, FC_FAMILY);
  return source;
}

}  // namespace

FontSource ResolveFont(const FontChoice& choice) {
  std::error_code ec;
  if (!choice.family.empty() && std::filesystem::is_regular_file(choice.family, ec)) {
    return FontSource{choice.family, 0, choice.family};
  }
  if (choice.family.find('/') != std::string::npos) {
    // A path, not a family: falling back to another face would hide the typo.
    throw Error(kCannotOpenFont + choice.family);
  }
  // fontconfig's configuration is loaded once per process and guarded by its own lock; the
  // lookups are kept on one thread at a time all the same.
  static std::mutex lock;
  const std::lock_guard<std::mutex> guard(lock);
  std::unique_ptr<FcPattern, PatternCloser> pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(choice.family.c_str()));
  FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, choice.pixelHeight);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  std::unique_ptr<FcFontSet, FontSetCloser> sorted(
      FcFontSort(nullptr, pattern.get(), FcTrue, nullptr, &result));
  if (!sorted || sorted->nfont == 0) {
    throw Error("No font found for " + choice.family);
  }
  FcPattern* first = sorted->fonts[0];
  FcPattern* chosen = first;
  if (!HasFamily(first, choice.family) && !HasProbe(first)) {
    for (int i = 1; i < sorted->nfont; ++i) {
      if (HasProbe(sorted->fonts[i])) {
        chosen = sorted->fonts[i];
        break;
      }
    }
  }
  FontSource source = SourceOf(chosen);
  source.substituted = !HasFamily(chosen, choice.family) && !IsGenericFamily(choice.family);
  return source;
}

}  // namespace panelix::font
