#include "project/project_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "project/bin_folder.h"

namespace panelix::project {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

ProjectLines Split(const std::string& text) {
  return SplitProjectText(Bytes(text));
}

std::string ErrorText(const auto& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "panelix-project-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { std::filesystem::remove_all(m_path); }
  const std::filesystem::path& Path() const { return m_path; }
  void Touch(const std::string& name) const { std::ofstream(m_path / name) << "x"; }

 private:
  std::filesystem::path m_path;
};

TEST(ProjectFile, SplitsLinesTheWayTheWindowListsThem) {
  struct Case {
    const char* name;
    std::string text;
    ProjectLines lines;
  };
  const std::vector<Case> cases{
      {"empty file", "", {}},
      {"LF ends get a blank before each section header and for each empty line",
       "[INFO]\nA=1\n\n[USERCMD]\n80h#00:x\n",
       {" ", "[INFO]", "A=1", " ", " ", "[USERCMD]", "80h#00:x"}},
      {"CR LF ends keep the CR and add nothing",
       "[INFO]\r\nA=1\r\n\r\n[USERCMD]\r\n",
       {"[INFO]\r", "A=1\r", "\r", "[USERCMD]\r"}},
      {"a header inside a longer line is free text", " [INFO]\n[USERCMD] x\n", {" [INFO]", "[USERCMD] x"}},
      {"last line without LF comes after an added blank", "a\nlast", {"a", " ", "last"}},
      {"a header as the unterminated last line gets one blank", "a\n[INFO]", {"a", " ", "[INFO]"}},
      {"lone line feed", "\n", {" "}},
      {"tabs become eight spaces", "\ta\tb\n", {"        a        b"}},
      {"bytes above 0x7F and NUL are kept", std::string("\xB2\xE2\0z\n", 5), {std::string("\xB2\xE2\0z", 4)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Split(c.text), c.lines);
  }
}

TEST(ProjectFile, CutsLongLinesButLetsATabFinish) {
  const std::string longLine(1500, 'x');
  EXPECT_EQ(Split(longLine + "\nnext\n"), (ProjectLines{longLine.substr(0, 1024), "next"}));

  // A tab at position 1020 still adds its eight spaces; everything after it on the line is dropped.
  const ProjectLines tabbed = Split(std::string(1020, 'y') + "\tzz\n");
  ASSERT_EQ(tabbed.size(), 1U);
  EXPECT_EQ(tabbed[0], std::string(1020, 'y') + std::string(8, ' '));

  const ProjectLines at1023 = Split(std::string(1023, 'y') + "\t\tq\n");
  EXPECT_EQ(at1023[0].size(), 1031U);
}

TEST(ProjectFile, SavesWithoutControlCharactersAndCrLf) {
  EXPECT_EQ(ProjectFileText({"[INFO]\r", "a\x01\x1F\x7F\xB2", " "}), "[INFO]\r\na\x7F\xB2\r\n \r\n");
  EXPECT_EQ(ProjectFileText({}), "");
}

TEST(ProjectFile, SaveThenLoadOfACrLfProjectGivesTheSameList) {
  TempFolder folder;
  const std::string original = "; module\r\n[INFO]\r\nLCD=1\r\n\r\n[USERCMD]\r\n80h#00:01\r\n";
  const ProjectLines loaded = Split(original);
  const std::filesystem::path path = folder.Path() / "p.ini";
  SaveProjectFile(path, loaded);
  // The carriage returns that were invisible in the list come back from the CR LF ends.
  EXPECT_EQ(LoadProjectFile(path), loaded);
  EXPECT_EQ(ReadFileBytes(path, "read"), Bytes(original));
}

TEST(ProjectFile, SaveNamesAndFailures) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> names{
      {"proj", "proj.ini"},
      {"proj.ini.bak", "proj.ini.bak"},
      {"dir/proj.INI", "dir/proj.INI.ini"},
      {"dir/*.ini", std::nullopt},
  };
  for (const auto& [chosen, expected] : names) {
    EXPECT_EQ(ProjectSaveName(chosen), expected) << chosen;
  }
  EXPECT_EQ(ErrorText([] { ProjectSaveName(""); }), "Error file's name");

  TempFolder folder;
  EXPECT_EQ(ErrorText([&] { LoadProjectFile(folder.Path() / "missing.ini"); }), "Open fail!");
  EXPECT_EQ(ErrorText([&] { LoadProjectFile(folder.Path()); }), "Open fail!");
  EXPECT_EQ(ErrorText([&] { SaveProjectFile(folder.Path() / "no" / "p.ini", {"a"}); }),
            "open Creat file error!\n");
}

TEST(BinFolder, ListsOnlyExactBinExtensionsSortedByName) {
  TempFolder folder;
  for (const char* name : {"b.BIN", "c.bin.bak", "d", "e.x.bin", ".hidden.bin", "a.bin", "Picture1.bin",
                           "Bootloader.bin", "Z.bin", "bin"}) {
    folder.Touch(name);
  }
  std::filesystem::create_directory(folder.Path() / "sub.bin");
  EXPECT_EQ(ListBinFolder(folder.Path(), "fail"),
            (std::vector<std::string>{"Bootloader.bin", "Picture1.bin", "Z.bin", "a.bin"}));
  EXPECT_EQ(ErrorText([&] { ListBinFolder(folder.Path() / "missing", "Fail to Open the file"); }),
            "Fail to Open the file");
  EXPECT_EQ(FolderOfPath("/x/y/a.bin"), "/x/y/");
  EXPECT_EQ(FolderOfPath("a.bin"), "");
}

// One editing action on a list, with the state before and after.
struct EditCase {
  const char* name;
  void (*action)(ListState&, std::string&);
  std::vector<std::string> before;
  int selected;
  std::vector<std::string> after;
  int selectedAfter;
  std::string editAfter = "edit";
};

TEST(ProjectLists, EditingActions) {
  using V = std::vector<std::string>;
  const auto del = [](ListState& l, std::string&) { DeleteBinEntry(l); };
  const auto up = [](ListState& l, std::string&) { MoveSelectedUp(l); };
  const auto down = [](ListState& l, std::string&) { MoveSelectedDown(l); };
  const auto insert = [](ListState& l, std::string& e) { InsertCommand(l, e); };
  const auto delCmd = [](ListState& l, std::string& e) { DeleteCommand(l, e); };
  const auto enter = [](ListState& l, std::string& e) { ReplaceSelectedCommand(l, e); };
  const auto click2 = [](ListState& l, std::string& e) { SelectCommand(l, 2, e); };
  const auto click9 = [](ListState& l, std::string& e) { SelectCommand(l, 9, e); };
  const std::vector<EditCase> cases{
      {"delete with one entry does nothing", del, {"a"}, 0, {"a"}, 0},
      {"delete never removes the first entry", del, V{"a", "b", "c"}, 0, V{"a", "b", "c"}, 0},
      {"delete without selection does nothing", del, V{"a", "b"}, -1, V{"a", "b"}, -1},
      {"delete selects the next entry", del, V{"a", "b", "c"}, 1, V{"a", "c"}, 1},
      {"delete of the last entry leaves no selection", del, V{"a", "b", "c"}, 2, V{"a", "b"}, -1},
      {"up swaps and follows", up, V{"a", "b", "c"}, 2, V{"a", "c", "b"}, 1},
      {"up at the top does nothing", up, V{"a", "b"}, 0, V{"a", "b"}, 0},
      {"up with one entry does nothing", up, V{"a"}, 0, V{"a"}, 0},
      {"down swaps and follows", down, V{"a", "b", "c"}, 0, V{"b", "a", "c"}, 1},
      {"down at the bottom does nothing", down, V{"a", "b"}, 1, V{"a", "b"}, 1},
      {"down without selection does nothing", down, V{"a", "b"}, -1, V{"a", "b"}, -1},
      {"insert goes before the selected line", insert, V{"a", "b", "c"}, 2, V{"a", "b", "edit", "c"}, 3},
      {"insert with the first line selected does nothing", insert, V{"a", "b"}, 0, V{"a", "b"}, 0},
      {"insert into a one-line list does nothing", insert, V{"a"}, 0, V{"a"}, 0},
      {"insert without selection does nothing", insert, V{"a", "b"}, -1, V{"a", "b"}, -1},
      {"delete command copies the next line", delCmd, V{"a", "b", "c"}, 1, V{"a", "c"}, 1, "c"},
      {"delete command keeps the first line and copies it", delCmd, V{"a", "b"}, 0, V{"a", "b"}, 0, "a"},
      {"delete command of the last line keeps the edit line", delCmd, V{"a", "b"}, 1, V{"a"}, -1},
      {"delete command with one line does nothing", delCmd, V{"a"}, 0, V{"a"}, 0},
      {"delete command without selection does nothing", delCmd, V{"a", "b"}, -1, V{"a", "b"}, -1},
      {"enter replaces the selected line", enter, V{"a", "b", "c", "d", "e", "f"}, 5,
       V{"a", "b", "c", "d", "e", "edit"}, 5},
      {"enter with one line does nothing", enter, V{"a"}, 0, V{"a"}, 0},
      {"enter without selection does nothing", enter, V{"a", "b"}, -1, V{"a", "b"}, -1},
      {"click copies the line", click2, V{"a", "b", "c"}, -1, V{"a", "b", "c"}, 2, "c"},
      {"click past the end does nothing", click9, V{"a", "b", "c"}, 0, V{"a", "b", "c"}, 0},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    ListState list{c.before, c.selected};
    std::string edit = "edit";
    c.action(list, edit);
    EXPECT_EQ(list.items, c.after);
    EXPECT_EQ(list.selected, c.selectedAfter);
    EXPECT_EQ(edit, c.editAfter);
  }
}

}  // namespace
}  // namespace panelix::project
