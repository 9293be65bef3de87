#pragma once

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>
#include <QKeySequence>
#include <QRegion>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "text/vb_lexer.h"

class QAction;

namespace quillan::gui {

/// The colours of the code's styles on a background: a light or a dark set by the
/// background's lightness, each pulled towards the text colour until it stands out enough.
std::array<QColor, text::kVbStyleCount> StyleColors(const QColor& back, const QColor& fore);

/// The contrast of two colours as the accessibility guidelines measure it: 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

/// `txtCode`: Scintilla with Visual Basic highlighting, line numbers, the current line and
/// matching brackets. Lines end in CR LF and positions are UTF-8 bytes; `EditorBuffer` maps
/// them to the document's UTF-16 offsets.
///
/// Highlighting never holds the window up: only the lines that are shown are styled, when
/// they are shown, so a jump to the end of a long project styles one screenful. Each line's
/// state (styled or not, and whether it ends inside a continued comment) is kept in
/// Scintilla's line states, which move with the lines on every edit.
class CodeEditor final : public QsciScintilla {
  Q_OBJECT

 public:
  explicit CodeEditor(QWidget* parent = nullptr);

  long Send(unsigned int message, unsigned long w = 0, long l = 0) const {
    return SendScintilla(message, w, l);
  }

  /// Takes these keys away from the editor's own commands, so that the menu's shortcuts win.
  void ReleaseKeys(const QList<QKeySequence>& keys);

  /// The font (with its bold, italic, underline and strikeout) and the base colours of the
  /// whole text; the styles' colours follow from them.
  void SetLook(const QFont& font, const QColor& back, const QColor& fore);
  const QFont& look_font() const { return font_; }
  QColor back_color() const { return back_; }
  QColor fore_color() const { return fore_; }

  /// Asked before the editor pastes or takes a drop of its own (Ctrl+V, Shift+Insert, the
  /// middle button, the right-click menu, a drag); false leaves the text as it is.
  void SetPasteCheck(std::function<bool(const QString&)> check) { paste_check_ = std::move(check); }

  /// Shown at the end of the right-click menu while its text is "Show Toolbar".
  void SetShowToolbarAction(QAction* action) { show_toolbar_ = action; }

  /// While set, text is being put into an emptied editor, whose lines are all unstyled.
  void SetBulk(bool bulk) { bulk_ = bulk; }

  /// Byte positions <-> UTF-16 offsets, through the UTF-16 line index: a line's lookup and a
  /// count within the line, never from the start of the text.
  std::size_t OffsetOf(long position) const;
  long PositionOf(std::size_t offset) const;

  /// The style Scintilla holds at a byte position (for tests and the status of a line).
  text::VbStyle StyleAt(long position) const;

  /// The position of the bracket that matches the one at brace, within kBraceReach bytes of
  /// it; -1 when there is none there.
  long MatchingBrace(long brace) const;
  static constexpr long kBraceReach = 1L << 16;

 signals:
  /// The text is about to change (typing, a paste, undo, any edit).
  void Changed();

 public slots:
  void paste() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void StyleNeeded(int position);
  void StyleLine(long line, bool in_comment);
  bool CommentEntering(long line) const;
  void Modified(int position, int type, int length);
  void NoteChanged(long line);
  QRect RowsOf(long line) const;
  void SettleInsertion();
  bool TypesPastRightEdge(const QKeyEvent* event) const;
  void TypePastRightEdge(QKeyEvent* event);
  void PaintLateBars();
  void ForgetStyle(long line);
  void ForgetChangedStyles();
  void ContentUpdated();
  void MatchBraces();
  std::string_view LineBytes(long line) const;
  bool StyleHolds(long line) const;
  void Strike(long from, long length);
  void ForgetFarColours();

  QFont font_;
  QColor back_, fore_;
  QAction* show_toolbar_ = nullptr;
  bool bulk_ = false;
  bool painting_ = false;
  // Lines changed within themselves since the last paint, whose styles no longer hold.
  std::vector<long> changed_lines_;
  // Scrolled into view by a typed key, to be painted after the typed line.
  QRegion late_;
  // A key moved a scroll bar's handle; the bar is painted after the key's paint.
  bool late_bars_ = false;
  // A short insertion announced, not yet known to keep within its line.
  struct Insertion {
    long line;
    long lines_before;
  };
  std::optional<Insertion> inserting_;
  long coloured_lines_ = 0;  // lines coloured since colours far from the view were dropped
  int margin_digits_ = 0;    // the digits of the line count the margin was last measured for
  std::function<bool(const QString&)> paste_check_;
  bool PasteAllowed(const QString& text) const { return !paste_check_ || paste_check_(text); }
};

}  // namespace quillan::gui
