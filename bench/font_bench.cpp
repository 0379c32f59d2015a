// The full GBK library (24066 glyphs, 16 x 16 cells) from the installed CJK face: through the CLI
// with one and two renderers, through the library in-process, and beside the floor, a bare
// FreeType loop that only renders the same characters.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "font/code_sets.h"
#include "font/font_face.h"
#include "font/font_runs.h"

namespace {

using namespace panelix::font;

const std::vector<std::u16string>& GbkTexts() {
  static const std::vector<std::u16string> texts = [] {
    TextConverter converter;
    LibraryRequest request;
    request.set = CodeSet::Gbk;
    return PlanLibrary(request, converter).texts;
  }();
  return texts;
}

std::filesystem::path Cli() {
  if (const char* path = std::getenv("PANELIX_CLI")) {
    return path;
  }
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" / "cli" /
         "panelix";
}

void Floor(benchmark::State& state) {
  const FontSource source = ResolveFont(FontChoice{});
  FT_Library library = nullptr;
  FT_Init_FreeType(&library);
  FT_Face face = nullptr;
  FT_New_Face(library, source.path.c_str(), source.index, &face);
  FT_Set_Pixel_Sizes(face, 0, 14);
  const auto& texts = GbkTexts();
  for (auto _ : state) {
    for (const auto& text : texts) {
      if (!text.empty()) {
        benchmark::DoNotOptimize(FT_Load_Char(face, text[0], FT_LOAD_RENDER));
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

void Library(benchmark::State& state) {
  GlyphJob job;
  job.threads = static_cast<int>(state.range(0));
  const auto& texts = GbkTexts();
  for (auto _ : state) {
    benchmark::DoNotOptimize(RenderGlyphs(job, texts, panelix::NoProgress));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}

void CliGbk(benchmark::State& state) {
  const std::string output = "/tmp/panelix-bench-gbk-" + std::to_string(::getpid());
  const std::string command = "'" + Cli().string() + "' font library --set gbk --jobs " +
                              std::to_string(state.range(0)) + " -o '" + output + "' >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("panelix font library failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * 24066);
  std::filesystem::remove(output + ".bin");
}

BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Library)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CliGbk)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
