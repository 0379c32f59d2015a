#pragma once

#include <QFont>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "font/code_sets.h"
#include "font/font_runs.h"
#include "font/glyph_renderer.h"
#include "ui/dialogs.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;

namespace panelix::ui {

// The font library generator, "Creat Chinese Font Lib ": whole code-set libraries, String Bin and
// ASCII fonts, and a glyph test, with magnified previews of the glyph before and after the gray
// limit.
class TForm4 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm4(Dialogs& dialogs, QWidget* parent = nullptr);
  ~TForm4() override;

  // Where the text is drawn in the cell; moved by the scroll bars.
  int OriginX() const { return m_originX; }
  int OriginY() const { return m_originY; }
  // What the preview draws: the default sample until a test button is pressed, then the text of
  // Edit2 ("测  试") or the code in Edit1 ("Test Code").
  enum class PreviewSource { Sample = 0, Text = 1, Code = 2 };
  PreviewSource CurrentPreviewSource() const { return m_previewSource; }
  const QFont& SelectedFont() const { return m_font; }
  bool TraditionalSystem() const { return m_traditional; }

 public slots:
  void ComboBoxCodeChange();
  void ButtonMakeBinClick();
  void BtnStringBinClick();
  void BtnAsciiBinClick();
  void ButtonTestClick();
  void ButtonCHINPUTClick();
  void ButtonCloseClick();
  void ButtonSFontClick();
  void ScrollBar1Change(int position);
  void ScrollBar2Change(int position);
  void Edit1KeyUp(QLineEdit* edit);
  void EditCTLimitKeyUp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildPreviews();
  QWidget* BuildParameters();
  QWidget* BuildTestPanel();
  QLineEdit* AddField(QGridLayout* grid, int row, const QString& label, const QString& name,
                      const QString& text, bool digitsOnly);

  // Runs a handler and shows a failure's message, as every event handler of the window does.
  template <typename F>
  void Guarded(F&& handler);

  font::RenderSettings Settings() const;
  int Limit() const;
  font::FontChoice Choice() const;
  font::GlyphJob Job() const;
  font::CodeSet CurrentSet() const;
  std::u16string PreviewText();
  font::GlyphRenderer& Renderer();
  void RefreshPreview();
  void ShowPreview(const font::GlyphCell& cell, int limit);
  void TestGlyph(PreviewSource source);
  // The progress of a glyph run: moves the bar, keeps the window answering and stops the run when
  // "Close" was pressed.
  ProgressFn RunProgress();
  // Renders the texts with progress; nothing when "Close" stopped the run.
  std::optional<std::vector<std::uint8_t>> Generate(const font::GlyphJob& job,
                                                    const std::vector<std::u16string>& texts);
  // Asks for the name and writes the font, never over one of the inputs. False when writing failed
  // (its message was shown).
  bool SaveFont(const std::vector<std::uint8_t>& bytes,
                const std::vector<std::filesystem::path>& inputs = {});
  void Finish(bool saved, const std::string& message);

  Dialogs& m_dialogs;
  font::TextConverter m_converter;
  std::unique_ptr<font::GlyphRenderer> m_renderer;
  std::string m_rendererKey;
  QFont m_font;
  bool m_traditional = false;
  int m_originX = 2;
  int m_originY = 1;
  int m_scroll1 = 50;
  int m_scroll2 = 50;
  PreviewSource m_previewSource = PreviewSource::Sample;
  bool m_stopRequested = false;
  std::vector<std::u16string> m_memo2Lines{u"Memo2"};
  QString m_folder;

  QGroupBox* m_groupBoxSyst = nullptr;
  QGroupBox* m_groupBoxUser = nullptr;
  QLabel* m_image1 = nullptr;
  QLabel* m_image2 = nullptr;
  QScrollBar* m_scrollBar1 = nullptr;
  QScrollBar* m_scrollBar2 = nullptr;
  QComboBox* m_comboBoxCode = nullptr;
  QLineEdit* m_editUNIS = nullptr;
  QLineEdit* m_editUNIE = nullptr;
  QLineEdit* m_editFW = nullptr;
  QLineEdit* m_editFH = nullptr;
  QLineEdit* m_editCTLimit = nullptr;
  QCheckBox* m_checkBoxX = nullptr;
  QCheckBox* m_checkBoxY = nullptr;
  QCheckBox* m_checkBoxHalf = nullptr;
  QButtonGroup* m_radioGroup2 = nullptr;
  QPushButton* m_buttonSFont = nullptr;
  QPushButton* m_buttonMakeBin = nullptr;
  QPushButton* m_btnStringBin = nullptr;
  QPushButton* m_btnAsciiBin = nullptr;
  QPushButton* m_buttonClose = nullptr;
  QLineEdit* m_edit1 = nullptr;
  QLineEdit* m_edit2 = nullptr;
  QPushButton* m_buttonTest = nullptr;
  QPushButton* m_buttonCHINPUT = nullptr;
  QPlainTextEdit* m_memo1 = nullptr;
  QPlainTextEdit* m_memo2 = nullptr;
  QProgressBar* m_progressBar1 = nullptr;
};

}  // namespace panelix::ui
