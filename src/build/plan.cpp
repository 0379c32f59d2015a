#include "build/plan.h"

#include "output/output_names.h"
#include "project/make_bin.h"

namespace panelix::build {

namespace fs = std::filesystem;

namespace {

// The absolute, normal form of a folder, without a trailing separator.
fs::path Absolute(const fs::path& path) {
  fs::path normal = fs::absolute(path).lexically_normal();
  return normal.has_filename() || !normal.has_relative_path() ? normal : normal.parent_path();
}

bool WritesAddressList(AssetKind kind) {
  return kind == AssetKind::Picture || kind == AssetKind::Gif || kind == AssetKind::Sound;
}

std::vector<std::string> CodePageFlag(const Manifest& manifest) {
  if (manifest.project.codePage == 0) {
    return {};
  }
  return {"--codepage", std::to_string(manifest.project.codePage)};
}

Step Conversion(const Asset& asset, const BuildPlan& plan, const Manifest& manifest) {
  Step step;
  step.line = asset.line;
  const fs::path bin = plan.binsDir / output::OutputBinName(asset.output);
  step.name = bin.filename().string();
  step.outputs.push_back(bin);
  if (WritesAddressList(asset.kind)) {
    step.outputs.emplace_back(output::AddressListName(bin.string()));
  }
  step.workDir = plan.manifestDir;
  std::vector<std::string> inputs = asset.inputs;
  if (asset.kind == AssetKind::Sound) {
    // The data text names the sound as given: convert it from its own folder, by its file name.
    const fs::path sound(inputs.front());
    step.workDir = (plan.manifestDir / sound.parent_path()).lexically_normal();
    inputs = {sound.filename().string()};
  }
  step.args = CodePageFlag(manifest);
  step.args.insert(step.args.end(), asset.tool.begin(), asset.tool.end());
  step.args.insert(step.args.end(), asset.flags.begin(), asset.flags.end());
  step.args.insert(step.args.end(), {"-o", (plan.binsDir / asset.output).string()});
  if (asset.inputsLast) {
    step.args.insert(step.args.end(), inputs.begin(), inputs.end());
  }
  step.inputs.assign(inputs.begin(), inputs.end());
  return step;
}

Step MakeBin(const Manifest& manifest, const BuildPlan& plan) {
  const ProjectSettings& project = manifest.project;
  Step step;
  step.line = project.line;
  const fs::path info = plan.outDir / project.info;
  const fs::path flash = plan.outDir / project.flash;
  step.name = project::InfoBinName(project.flash);
  step.workDir = plan.manifestDir;
  step.inputs = {project.file, plan.binsDir};
  step.outputs = {plan.outDir / project::InfoBinName(project.info),
                  plan.outDir / project::ReportName(project.info), plan.outDir / step.name};
  step.args = CodePageFlag(manifest);
  step.args.insert(step.args.end(), {"make", "--bins", plan.binsDir.string(), "--project", project.file,
                                     "--info", info.string(), "--flash", flash.string()});
  if (!project.buildTime.empty()) {
    step.args.insert(step.args.end(), {"--build-time", project.buildTime});
  }
  return step;
}

std::string ShellWord(const std::string& word) {
  if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                              "-_./,:=+@%") == std::string::npos) {
    return word;
  }
  std::string quoted = "'";
  for (char c : word) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace

BuildPlan PlanBuild(const Manifest& manifest, const fs::path& manifestPath, const fs::path& outDir) {
  BuildPlan plan;
  plan.manifestDir = Absolute(manifestPath).parent_path();
  plan.outDir = outDir.empty() ? Absolute(plan.manifestDir / manifest.project.output) : Absolute(outDir);
  plan.binsDir = plan.outDir / manifest.project.bins;
  for (const Asset& asset : manifest.assets) {
    plan.conversions.push_back(Conversion(asset, plan, manifest));
  }
  plan.make = MakeBin(manifest, plan);
  return plan;
}

std::string CommandLine(const Step& step, const std::string& program) {
  std::string line = "(cd " + ShellWord(step.workDir.string()) + " && " + ShellWord(program);
  for (const std::string& arg : step.args) {
    line += " " + ShellWord(arg);
  }
  return line + ")";
}

}  // namespace panelix::build
