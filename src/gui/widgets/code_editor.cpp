#include "gui/widgets/code_editor.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QAccessibleWidget>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace quillan::gui {

namespace {

using Sci = QsciScintillaBase;

// Line states: the line is styled; it ends inside a continued comment; it was styled as
// starting inside one; then the offset of its first byte of another style than the default
// (kNoMark for none or too far in) and a hash of its bytes. New lines take over the state
// of a neighbour, so a state counts only while the hash matches and the marked byte still
// has its colour: text put in afresh has none.
constexpr long kStyled = 1;
constexpr long kEndsInComment = 2;
constexpr long kEntersInComment = 4;
constexpr int kMarkShift = 3;
constexpr long kNoMark = 511;
constexpr int kHashShift = 12;
constexpr long kHashMask = (1L << 19) - 1;

long HashOf(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return static_cast<long>((hash ^ (hash >> 19)) & kHashMask);
}
// How far back the start of a chain of continued lines is looked for.
constexpr long kMaxContinuedLines = 200;
constexpr int kStrikeIndicator = 8;
// Each style but the default is an indicator that colours the text it covers, the ones
// after the strikeout's.
constexpr unsigned long IndicatorOf(int style) {
  return static_cast<unsigned long>(kStrikeIndicator + style);
}
constexpr long kStyleIndicatorBits = ((1L << text::kVbStyleCount) - 2) << kStrikeIndicator;
// How many lines may be coloured before the colours of lines far from the view are dropped
// (they come back when those lines are shown again).
constexpr long kMaxColouredLines = 20000;
// Insertions of at most this many bytes (a typed character) are taken as changing one line
// unless the line count says otherwise.
constexpr int kShortInsertion = 4;

double Luminance(const QColor& c) {
  auto channel = [](double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor Blend(const QColor& from, const QColor& to, double t) {
  return QColor::fromRgbF(static_cast<float>(from.redF() + (to.redF() - from.redF()) * t),
                          static_cast<float>(from.greenF() + (to.greenF() - from.greenF()) * t),
                          static_cast<float>(from.blueF() + (to.blueF() - from.blueF()) * t));
}

// The editor's accessible object: editable text whose offsets are found through the UTF-16
// line index. The component's own one counts the characters from the start of the text to
// the caret on every move of the caret or the view, which in a long project holds up each
// keystroke for tens of milliseconds. Factories installed later are asked first, so this one
// wins for the code editor.
class AccessibleEditor final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit AccessibleEditor(CodeEditor* editor)
      : QAccessibleWidget(editor, QAccessible::EditableText), editor_(editor) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                              : QAccessibleWidget::interface_cast(type);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    return s;
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !editor_->hasSelectedText()) return;
    *start = Offset(editor_->Send(Sci::SCI_GETSELECTIONSTART));
    *end = Offset(editor_->Send(Sci::SCI_GETSELECTIONEND));
  }
  int selectionCount() const override { return editor_->hasSelectedText() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override {
    const long caret = editor_->Send(Sci::SCI_GETCURRENTPOS);
    editor_->Send(Sci::SCI_SETSEL, static_cast<unsigned long>(caret), caret);
  }
  void setSelection(int, int start, int end) override {
    editor_->Send(Sci::SCI_SETSEL, static_cast<unsigned long>(Position(start)), Position(end));
  }
  int cursorPosition() const override { return Offset(editor_->Send(Sci::SCI_GETCURRENTPOS)); }
  void setCursorPosition(int offset) override {
    editor_->Send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(Position(offset)));
  }
  QString text(int start, int end) const override {
    const long from = Position(start), to = Position(end);
    if (to <= from) return {};
    const auto* bytes = reinterpret_cast<const char*>(
        editor_->Send(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    return bytes == nullptr ? QString() : QString::fromUtf8(bytes, to - from);
  }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Value ? QString() : QAccessibleWidget::text(t);
  }
  int characterCount() const override { return Offset(editor_->Send(Sci::SCI_GETLENGTH)); }
  QRect characterRect(int offset) const override {
    const long position = Position(offset);
    const int x = static_cast<int>(editor_->Send(Sci::SCI_POINTXFROMPOSITION, 0, position));
    const int y = static_cast<int>(editor_->Send(Sci::SCI_POINTYFROMPOSITION, 0, position));
    const int height = static_cast<int>(editor_->Send(Sci::SCI_TEXTHEIGHT, 0));
    const QPoint at = editor_->viewport()->mapToGlobal(QPoint(x, y));
    return QRect(at, QSize(1, height));
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = editor_->viewport()->mapFromGlobal(point);
    return Offset(editor_->Send(Sci::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(local.x()),
                                local.y()));
  }
  void scrollToSubstring(int start, int) override {
    editor_->Send(Sci::SCI_SCROLLRANGE, static_cast<unsigned long>(Position(start)),
                  Position(start));
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  int Offset(long position) const { return static_cast<int>(editor_->OffsetOf(position)); }
  long Position(int offset) const {
    return editor_->PositionOf(static_cast<std::size_t>(std::max(0, offset)));
  }
  CodeEditor* editor_;
};

QAccessibleInterface* AccessibleFor(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("quillan::gui::CodeEditor") && object->isWidgetType()) {
    return new AccessibleEditor(static_cast<CodeEditor*>(object));
  }
  return nullptr;
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::array<QColor, text::kVbStyleCount> StyleColors(const QColor& back, const QColor& fore) {
  using text::VbStyle;
  const bool dark = Luminance(back) < 0.18;
  std::array<QColor, text::kVbStyleCount> colors;
  colors.fill(fore);
  auto set = [&colors](VbStyle style, QColor c) { colors[static_cast<int>(style)] = c; };
  // The classic editor's blue keywords and green comments on light paper; their usual
  // lighter kin on a dark one.
  set(VbStyle::kComment, dark ? QColor(0x6A, 0x99, 0x55) : QColor(0x00, 0x80, 0x00));
  set(VbStyle::kString, dark ? QColor(0xCE, 0x91, 0x78) : QColor(0xA3, 0x15, 0x15));
  set(VbStyle::kNumber, dark ? QColor(0xB5, 0xCE, 0xA8) : QColor(0x09, 0x86, 0x58));
  set(VbStyle::kKeyword, dark ? QColor(0x56, 0x9C, 0xD6) : QColor(0x00, 0x00, 0xA0));
  set(VbStyle::kTypeCharacter, dark ? QColor(0xC5, 0x86, 0xC0) : QColor(0x80, 0x00, 0x80));
  set(VbStyle::kDeclaredName, dark ? QColor(0xDC, 0xDC, 0xAA) : QColor(0x79, 0x5E, 0x26));
  set(VbStyle::kPreprocessor, dark ? QColor(0x9B, 0x9B, 0x9B) : QColor(0x60, 0x60, 0x60));
  for (QColor& c : colors) {
    // A colour too close to the background moves towards the text colour until it reads.
    for (int step = 1; step <= 10 && ContrastRatio(c, back) < 4.5; ++step) {
      c = Blend(c, fore, 0.1 * step);
    }
  }
  return colors;
}

CodeEditor::CodeEditor(QWidget* parent) : QsciScintilla(parent) {
  static const bool accessible_installed = [] {
    QAccessible::installFactory(AccessibleFor);
    return true;
  }();
  (void)accessible_installed;
  // The document keeps no style byte per character: colours are indicators, held as runs on
  // the lines that were shown. A style byte for each character doubled what a large project
  // takes in memory.
  const long document = Send(SCI_CREATEDOCUMENT, 0, SC_DOCUMENTOPTION_STYLES_NONE);
  Send(SCI_SETDOCPOINTER, 0, document);
  Send(SCI_RELEASEDOCUMENT, 0, document);
  setObjectName("txtCode");
  setUtf8(true);
  setEolMode(EolWindows);
  setWrapMode(WrapNone);
  // Lines are found by their UTF-16 offsets as the document counts them.
  Send(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
  // Changes are reported before they happen, and only so: the notices after them make the
  // editor count the characters from the start of the text to the change, for
  // accessibility, on every keystroke. (A notice goes out when any of its bits is in the
  // mask, so no "performed by" bit may be.)
  Send(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE);
  // Only the lines shown are laid out again after a change.
  Send(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
  setMarginLineNumbers(0, true);
  setMarginWidth(1, 0);
  setCaretLineVisible(true);
  // Brackets are matched here (MatchBraces), not by the editor's own matching: that looks
  // for the match through the whole text, and repaints the whole view for a guide not shown.
  setBraceMatching(NoBraceMatch);
  setTabWidth(4);
  connect(this, &QsciScintillaBase::SCN_STYLENEEDED, this, &CodeEditor::StyleNeeded);
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
            Modified(position, type, length);
          });
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
    if ((updated & SC_UPDATE_CONTENT) != 0) ContentUpdated();
    if ((updated & (SC_UPDATE_CONTENT | SC_UPDATE_SELECTION)) != 0) MatchBraces();
    // Screen readers follow the caret.
    if ((updated & (SC_UPDATE_CONTENT | SC_UPDATE_SELECTION)) != 0 && QAccessible::isActive()) {
      QAccessibleTextCursorEvent event(this, static_cast<int>(OffsetOf(Send(SCI_GETCURRENTPOS))));
      QAccessible::updateAccessibility(&event);
    }
  });
  SetLook(font(), QColor(Qt::white), QColor(Qt::black));
}

void CodeEditor::ReleaseKeys(const QList<QKeySequence>& keys) {
  for (const QKeySequence& sequence : keys) {
    if (sequence.isEmpty()) continue;
    const int key = sequence[0].toCombined();
    for (QsciCommand* command : standardCommands()->commands()) {
      if (command->key() == key) command->setKey(0);
      if (command->alternateKey() == key) command->setAlternateKey(0);
    }
  }
}

void CodeEditor::SetLook(const QFont& font, const QColor& back, const QColor& fore) {
  font_ = font;
  back_ = back;
  fore_ = fore;
  const QByteArray family = font.family().toUtf8();
  SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
  Send(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, std::lround(font.pointSizeF() * 100));
  Send(SCI_STYLESETBOLD, STYLE_DEFAULT, font.bold());
  Send(SCI_STYLESETITALIC, STYLE_DEFAULT, font.italic());
  Send(SCI_STYLESETUNDERLINE, STYLE_DEFAULT, font.underline());
  SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, fore);
  SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, back);
  Send(SCI_STYLECLEARALL);
  const auto colors = StyleColors(back, fore);
  for (int style = 1; style < text::kVbStyleCount; ++style) {
    Send(SCI_INDICSETSTYLE, IndicatorOf(style), INDIC_TEXTFORE);
    SendScintilla(SCI_INDICSETFORE, IndicatorOf(style), colors[style]);
  }
  const QColor quiet = Blend(back, fore, 0.45);
  const QColor faint = Blend(back, fore, 0.07);
  SendScintilla(SCI_STYLESETFORE, STYLE_LINENUMBER, quiet);
  SendScintilla(SCI_STYLESETBACK, STYLE_LINENUMBER, Blend(back, fore, 0.04));
  SendScintilla(SCI_STYLESETBACK, STYLE_BRACELIGHT, Blend(back, fore, 0.18));
  Send(SCI_STYLESETBOLD, STYLE_BRACELIGHT, 1);
  SendScintilla(SCI_STYLESETFORE, STYLE_BRACEBAD, QColor(0xD0, 0x20, 0x20));
  setCaretLineBackgroundColor(faint);
  setCaretForegroundColor(fore);
  setSelectionBackgroundColor(Blend(back, QColor(0x33, 0x66, 0xCC), 0.35));
  setSelectionForegroundColor(fore);
  // Room for five digits of line numbers, more as the project grows.
  margin_digits_ = 0;
  setMarginWidth(
      0, QString(std::max(5, static_cast<int>(QString::number(lines()).size()) + 1), QChar('0')));
  // Styles have no strikeout: an indicator draws it over the whole text.
  Send(SCI_INDICSETSTYLE, kStrikeIndicator, INDIC_STRIKE);
  SendScintilla(SCI_INDICSETFORE, kStrikeIndicator, fore);
  Send(SCI_SETINDICATORCURRENT, kStrikeIndicator);
  Send(SCI_INDICATORCLEARRANGE, 0, Send(SCI_GETLENGTH));
  if (font_.strikeOut()) Strike(0, Send(SCI_GETLENGTH));
}

void CodeEditor::Strike(long from, long length) {
  Send(SCI_SETINDICATORCURRENT, kStrikeIndicator);
  Send(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(from), length);
}

std::size_t CodeEditor::OffsetOf(long position) const {
  const long line = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
  const long start = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long base = Send(SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                         SC_LINECHARACTERINDEX_UTF16);
  return static_cast<std::size_t>(
      base + Send(SCI_COUNTCODEUNITS, static_cast<unsigned long>(start), position));
}

long CodeEditor::PositionOf(std::size_t offset) const {
  const long line = Send(SCI_LINEFROMINDEXPOSITION, offset, SC_LINECHARACTERINDEX_UTF16);
  const long start = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long base = Send(SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                         SC_LINECHARACTERINDEX_UTF16);
  return Send(SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(start),
              static_cast<long>(offset) - base);
}

text::VbStyle CodeEditor::StyleAt(long position) const {
  const long on = Send(SCI_INDICATORALLONFOR, static_cast<unsigned long>(position));
  for (int style = 1; style < text::kVbStyleCount; ++style) {
    if ((on & (1L << IndicatorOf(style))) != 0) return static_cast<text::VbStyle>(style);
  }
  return text::VbStyle::kDefault;
}

void CodeEditor::paintEvent(QPaintEvent* event) {
  painting_ = true;
  QRegion region = event->region();
  // The strip a typed key scrolled into view is painted just after the key's line, which is
  // what the user waits for; it is blank in between.
  if (!late_.isEmpty()) {
    const QRegion later = region & late_;
    late_ = QRegion();
    if (!later.isEmpty()) {
      region -= later;
      QPainter blank(viewport());
      for (const QRect& part : later) blank.fillRect(part, back_);
      QTimer::singleShot(0, this, [this, later] { viewport()->update(later); });
    }
  }
  if (late_bars_) QTimer::singleShot(0, this, &CodeEditor::PaintLateBars);
  // Scintilla paints the box around what is to be painted. When that is a strip scrolled
  // into view and a typed line across the view, the box is the whole view: each part is
  // painted on its own, the widest first (a typed line is restyled in its paint, which must
  // hold all of it).
  const QRect box = region.boundingRect();
  long long area = 0;
  for (const QRect& part : region) area += static_cast<long long>(part.width()) * part.height();
  if (region.rectCount() > 1 && 2 * area < static_cast<long long>(box.width()) * box.height()) {
    std::vector<QRect> parts(region.begin(), region.end());
    std::stable_sort(parts.begin(), parts.end(),
                     [](const QRect& a, const QRect& b) { return a.width() > b.width(); });
    for (const QRect& part : parts) {
      QPaintEvent piece(part);
      QsciScintilla::paintEvent(&piece);
    }
  } else if (region.rectCount() > 0) {
    QPaintEvent whole(region);
    QsciScintilla::paintEvent(&whole);
  }
  painting_ = false;
}

void CodeEditor::StyleNeeded(int position) {
  // Styling waits for the paint. Scintilla also asks between paints, after each change; a
  // line state set then would make it repaint the whole view instead of the changed line.
  if (!painting_) return;
  ForgetChangedStyles();
  const long last = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
  const long first_shown = Send(SCI_DOCLINEFROMVISIBLE, Send(SCI_GETFIRSTVISIBLELINE));
  const long screen = Send(SCI_LINESONSCREEN) + 1;
  // Two runs of lines at most: the screenful shown, with one more on either side, and the
  // screenful that ends at the position asked for (what is about to be shown after a jump).
  // Lines elsewhere are styled when they are shown.
  auto style = [this](long from, long to) {
    for (long line = std::max(0L, from); line <= to; ++line) {
      if (!StyleHolds(line)) StyleLine(line, CommentEntering(line));
    }
  };
  style(first_shown - screen, std::min(last, first_shown + 2 * screen));
  style(std::max(last - screen, first_shown + 2 * screen + 1), last);
  // Scintilla asks again before it paints anything, so lines styled out of order are fine.
  Send(SCI_STARTSTYLING, 0, 0);
}

std::string_view CodeEditor::LineBytes(long line) const {
  const auto l = static_cast<unsigned long>(line);
  const long start = Send(SCI_POSITIONFROMLINE, l);
  const long end = Send(SCI_GETLINEENDPOSITION, l);
  const auto* bytes = reinterpret_cast<const char*>(
      Send(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
  return bytes == nullptr ? std::string_view()
                          : std::string_view(bytes, static_cast<std::size_t>(end - start));
}

bool CodeEditor::StyleHolds(long line) const {
  const long state = Send(SCI_GETLINESTATE, static_cast<unsigned long>(line));
  if ((state & kStyled) == 0 || ((state >> kHashShift) & kHashMask) != HashOf(LineBytes(line))) {
    return false;
  }
  const long mark = (state >> kMarkShift) & kNoMark;
  const long start = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  if (mark != kNoMark && (Send(SCI_INDICATORALLONFOR, static_cast<unsigned long>(start + mark)) &
                          kStyleIndicatorBits) == 0) {
    return false;
  }
  // It must also begin the way the line before it ends.
  if (line == 0) return (state & kEntersInComment) == 0;
  const long before = Send(SCI_GETLINESTATE, static_cast<unsigned long>(line - 1));
  return (before & kStyled) == 0 ||
         ((before & kEndsInComment) != 0) == ((state & kEntersInComment) != 0);
}

bool CodeEditor::CommentEntering(long line) const {
  if (line == 0) return false;
  const long before = Send(SCI_GETLINESTATE, static_cast<unsigned long>(line - 1));
  if ((before & kStyled) != 0) return (before & kEndsInComment) != 0;
  // The line before was never styled: find where its chain of continued lines starts and
  // style the chain from there.
  auto continued = [this](long l) { return text::EndsInContinuation(LineBytes(l)); };
  if (!continued(line - 1)) return false;
  long first = line - 1;
  while (first > 0 && line - first < kMaxContinuedLines && continued(first - 1) &&
         (Send(SCI_GETLINESTATE, static_cast<unsigned long>(first - 1)) & kStyled) == 0) {
    --first;
  }
  auto* self = const_cast<CodeEditor*>(this);
  bool in_comment = first > 0 && (Send(SCI_GETLINESTATE, static_cast<unsigned long>(first - 1)) &
                                  kEndsInComment) != 0;
  for (long l = first; l < line; ++l) {
    self->StyleLine(l, in_comment);
    in_comment = (Send(SCI_GETLINESTATE, static_cast<unsigned long>(l)) & kEndsInComment) != 0;
  }
  return in_comment;
}

void CodeEditor::StyleLine(long line, bool in_comment) {
  const auto l = static_cast<unsigned long>(line);
  const long start = Send(SCI_POSITIONFROMLINE, l);
  const long next =
      line + 1 < Send(SCI_GETLINECOUNT) ? Send(SCI_POSITIONFROMLINE, l + 1) : Send(SCI_GETLENGTH);
  const std::string_view bytes = LineBytes(line);
  static thread_local std::vector<text::VbStyle> styles;
  styles.assign(bytes.size(), text::VbStyle::kDefault);
  const bool ends_in_comment = text::StyleVbLine(bytes, in_comment, styles);
  long mark = kNoMark;
  for (std::size_t i = 0; i < styles.size() && static_cast<long>(i) < kNoMark; ++i) {
    if (styles[i] != text::VbStyle::kDefault) {
      mark = static_cast<long>(i);
      break;
    }
  }
  const long hash = HashOf(bytes);
  // The line's colours, its line end included, are cleared and laid again run by run.
  for (int style = 1; style < text::kVbStyleCount; ++style) {
    Send(SCI_SETINDICATORCURRENT, IndicatorOf(style));
    Send(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(start), next - start);
  }
  for (std::size_t i = 0; i < styles.size();) {
    std::size_t j = i + 1;
    while (j < styles.size() && styles[j] == styles[i]) ++j;
    if (styles[i] != text::VbStyle::kDefault) {
      Send(SCI_SETINDICATORCURRENT, IndicatorOf(static_cast<int>(styles[i])));
      Send(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(start) + i, static_cast<long>(j - i));
    }
    i = j;
  }
  Send(SCI_SETLINESTATE, l,
       kStyled | (ends_in_comment ? kEndsInComment : 0) | (in_comment ? kEntersInComment : 0) |
           mark << kMarkShift | hash << kHashShift);
  if (++coloured_lines_ == kMaxColouredLines) {
    QMetaObject::invokeMethod(this, &CodeEditor::ForgetFarColours, Qt::QueuedConnection);
  }
}

void CodeEditor::ForgetFarColours() {
  // Colours live as runs, so each coloured line costs memory: beyond a few screens around
  // the view they are dropped, and those lines marked to be styled again when shown.
  coloured_lines_ = 0;
  const long first_shown = Send(SCI_DOCLINEFROMVISIBLE, Send(SCI_GETFIRSTVISIBLELINE));
  const long screen = Send(SCI_LINESONSCREEN) + 1;
  const long length = Send(SCI_GETLENGTH);
  const long lines = Send(SCI_GETLINECOUNT);
  const long keep_from = Send(SCI_POSITIONFROMLINE,
                              static_cast<unsigned long>(std::max(0L, first_shown - 2 * screen)));
  const long keep_line = first_shown + 3 * screen;
  const long keep_to = keep_line < lines
                           ? Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(keep_line))
                           : length;
  for (int style = 1; style < text::kVbStyleCount; ++style) {
    const unsigned long indicator = IndicatorOf(style);
    auto forget = [&](long from, long to) {
      for (long at = from; at < to;) {
        if (Send(SCI_INDICATORVALUEAT, indicator, at) != 0) {
          ForgetStyle(Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(at)));
        }
        const long end = Send(SCI_INDICATOREND, indicator, at);
        if (end <= at) break;
        at = end;
      }
      Send(SCI_SETINDICATORCURRENT, indicator);
      Send(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(from), to - from);
    };
    forget(0, keep_from);
    forget(keep_to, length);
  }
}

void CodeEditor::Modified(int position, int type, int length) {
  if ((type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) == 0) return;
  // The line about to change is styled again when it is shown. A change within one line is
  // only noted here and taken into the line's state at the next paint: changing a line state
  // outside a paint makes Scintilla repaint the whole view, on every keystroke. A change that
  // adds or removes lines repaints all anyway, and moves the lines noted, so they are taken
  // in at once.
  if (bulk_) {
    changed_lines_.clear();
    inserting_.reset();
  } else {
    SettleInsertion();
    const auto at = static_cast<unsigned long>(position);
    const long line = Send(SCI_LINEFROMPOSITION, at);
    if ((type & SC_MOD_BEFOREINSERT) != 0 && length <= kShortInsertion) {
      // The notice does not carry the text: whether it brought a line end shows in the line
      // count after it.
      inserting_ = Insertion{line, Send(SCI_GETLINECOUNT)};
    } else if ((type & SC_MOD_BEFOREDELETE) != 0 &&
               Send(SCI_LINEFROMPOSITION, at + static_cast<unsigned long>(length)) == line) {
      NoteChanged(line);
    } else {
      ForgetChangedStyles();
      ForgetStyle(line);
    }
  }
  emit Changed();
}

void CodeEditor::NoteChanged(long line) {
  if (!changed_lines_.empty() && changed_lines_.back() == line) return;
  changed_lines_.push_back(line);
  // The paint that styles the line again sets its state, which Scintilla takes for a change
  // of this line and the next: unless both lie in the paint, it throws the paint away and
  // repaints the whole view.
  viewport()->update(RowsOf(line));
}

QRect CodeEditor::RowsOf(long line) const {
  const long shown = Send(SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(line)) -
                     Send(SCI_GETFIRSTVISIBLELINE);
  const int height = static_cast<int>(Send(SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
  return {0, static_cast<int>(shown) * height, viewport()->width(), 2 * height};
}

void CodeEditor::SettleInsertion() {
  if (!inserting_) return;
  const auto [line, lines_before] = *inserting_;
  inserting_.reset();
  const long added = Send(SCI_GETLINECOUNT) - lines_before;
  if (added == 0) {
    NoteChanged(line);
    return;
  }
  for (long& changed : changed_lines_) {
    if (changed > line) changed += added;
  }
  ForgetChangedStyles();
  for (long l = line; l <= line + added; ++l) ForgetStyle(l);
}

void CodeEditor::ForgetStyle(long line) {
  if (Send(SCI_GETLINESTATE, static_cast<unsigned long>(line)) != 0) {
    Send(SCI_SETLINESTATE, static_cast<unsigned long>(line), 0);
  }
}

void CodeEditor::ForgetChangedStyles() {
  SettleInsertion();
  for (const long line : changed_lines_) ForgetStyle(line);
  changed_lines_.clear();
}

namespace {
// The brackets that are matched, each opening one at the place of its closing one.
constexpr std::string_view kOpenBrackets = "([{<", kCloseBrackets = ")]}>";
}  // namespace

void CodeEditor::MatchBraces() {
  // The bracket before the caret, else the one after it, with its match lit, or lit as
  // unmatched.
  auto brace_at = [this](long position) {
    if (position < 0 || position >= Send(SCI_GETLENGTH)) return false;
    const auto c = static_cast<char>(Send(SCI_GETCHARAT, static_cast<unsigned long>(position)));
    return kOpenBrackets.find(c) != std::string_view::npos ||
           kCloseBrackets.find(c) != std::string_view::npos;
  };
  const long caret = Send(SCI_GETCURRENTPOS);
  const long brace = brace_at(caret - 1) ? caret - 1 : brace_at(caret) ? caret : -1;
  if (brace < 0) {
    Send(SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(-1), -1);
    return;
  }
  const long match = MatchingBrace(brace);
  if (match < 0) {
    Send(SCI_BRACEBADLIGHT, static_cast<unsigned long>(brace));
  } else {
    Send(SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(brace), match);
  }
}

long CodeEditor::MatchingBrace(long brace) const {
  // The match is looked for within kBraceReach bytes: one further away is far off the
  // screen, and looking through a large project for it would hold up every key that leaves
  // the caret by an unmatched bracket.
  const char ch = static_cast<char>(Send(SCI_GETCHARAT, static_cast<unsigned long>(brace)));
  const std::size_t opening = kOpenBrackets.find(ch);
  const bool forward = opening != std::string_view::npos;
  const char seek = forward ? kCloseBrackets[opening] : kOpenBrackets[kCloseBrackets.find(ch)];
  const long from = forward ? brace + 1 : std::max(0L, brace - kBraceReach);
  const long to = forward ? std::min(Send(SCI_GETLENGTH), brace + 1 + kBraceReach) : brace;
  const auto* bytes = reinterpret_cast<const char*>(
      Send(SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
  if (bytes == nullptr) return -1;
  int depth = 1;
  for (long i = 0; i < to - from; ++i) {
    const long at = forward ? from + i : to - 1 - i;
    const char c = bytes[at - from];
    if (c == ch) ++depth;
    if (c == seek && --depth == 0) return at;
  }
  return -1;
}

void CodeEditor::ContentUpdated() {
  // The margin is measured again only when the line count gains a digit: measuring asks the
  // font system on every keystroke otherwise.
  const int digits = static_cast<int>(QString::number(lines()).size()) + 1;
  if (digits != margin_digits_) {
    margin_digits_ = digits;
    if (marginWidth(0) < QFontMetrics(font_).horizontalAdvance(QString(digits, '0'))) {
      setMarginWidth(0, QString(std::max(5, digits), QChar('0')));
    }
  }
  if (font_.strikeOut()) Strike(0, Send(SCI_GETLENGTH));
}

void CodeEditor::paste() {
  if (PasteAllowed(QGuiApplication::clipboard()->text())) QsciScintilla::paste();
}

void CodeEditor::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !PasteAllowed(QGuiApplication::clipboard()->text())) {
    event->accept();
    return;
  }
  // A key that moves a scroll bar's handle (typing past the right edge, a new line) repaints
  // the bar, and the style's paint of a bar is slow for its size (its fills are handed to
  // other threads). The bars are painted just after the key's own paint, which is what the
  // user waits for.
  QScrollBar* const bars[] = {horizontalScrollBar(), verticalScrollBar()};
  auto state = [&bars] {
    std::array<std::array<int, 5>, 2> s{};
    for (std::size_t i = 0; i < 2; ++i) {
      const QScrollBar* b = bars[i];
      s[i] = {b->isVisible(), b->value(), b->minimum(), b->maximum(), b->pageStep()};
    }
    return s;
  };
  const auto before = state();
  for (QScrollBar* bar : bars) bar->setAttribute(Qt::WA_UpdatesDisabled, true);
  if (TypesPastRightEdge(event)) {
    TypePastRightEdge(event);
  } else {
    QsciScintilla::keyPressEvent(event);
  }
  for (QScrollBar* bar : bars) bar->setAttribute(Qt::WA_UpdatesDisabled, false);
  if (state() != before && !late_bars_) {
    late_bars_ = true;
    // Painted after the key's paint; should the key paint nothing, a moment later.
    QTimer::singleShot(100, this, &CodeEditor::PaintLateBars);
  }
  // What the key typed is known now, before the paint that shows it.
  SettleInsertion();
}

void CodeEditor::PaintLateBars() {
  if (!std::exchange(late_bars_, false)) return;
  horizontalScrollBar()->update();
  verticalScrollBar()->update();
}

bool CodeEditor::TypesPastRightEdge(const QKeyEvent* event) const {
  const QString text = event->text();
  if (text.isEmpty() ||
      !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); }) ||
      (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
    return false;
  }
  if (Send(SCI_GETSELECTIONS) != 1 || Send(SCI_GETSELECTIONEMPTY) == 0 ||
      Send(SCI_AUTOCACTIVE) != 0 || Send(SCI_GETWRAPMODE) != SC_WRAP_NONE) {
    return false;
  }
  // The first move away from the left end is left to Scintilla's repaint: moving the pixels
  // then took longer than painting them.
  if (Send(SCI_GETXOFFSET) == 0) return false;
  // Every character is drawn in the default style's font: the document carries no styles.
  const long x = Send(SCI_POINTXFROMPOSITION, 0, Send(SCI_GETCURRENTPOS));
  const long width = SendScintilla(SCI_TEXTWIDTH, STYLE_DEFAULT, text.toUtf8().constData());
  const long right = viewport()->width() - Send(SCI_GETMARGINRIGHT);
  return x < right && x + width + 2 >= right;
}

void CodeEditor::TypePastRightEdge(QKeyEvent* event) {
  // Scintilla scrolls the view sideways to keep the caret in sight, and repaints all of it.
  // Its repaint is held back while it takes the key; the view's pixels are moved instead,
  // and only the strip scrolled into view and the typed line are painted.
  QWidget* view = viewport();
  late_ = QRegion();
  const long offset = Send(SCI_GETXOFFSET);
  const long top = Send(SCI_GETFIRSTVISIBLELINE);
  const long lines = Send(SCI_GETLINECOUNT);
  const QSize size = view->size();
  view->setAttribute(Qt::WA_UpdatesDisabled, true);
  QsciScintilla::keyPressEvent(event);
  view->setAttribute(Qt::WA_UpdatesDisabled, false);
  SettleInsertion();
  const long caret_line = Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS));
  const long now = Send(SCI_GETXOFFSET);
  const int start =
      static_cast<int>(Send(SCI_POINTXFROMPOSITION, 0,
                            Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(caret_line))) +
                       now);
  const int right = size.width() - static_cast<int>(Send(SCI_GETMARGINRIGHT));
  const int dx = static_cast<int>(offset - now);
  if (std::abs(dx) >= right - start || Send(SCI_GETFIRSTVISIBLELINE) != top ||
      Send(SCI_GETLINECOUNT) != lines || view->size() != size) {
    view->update();
    return;
  }
  QRegion typed = RowsOf(caret_line);
  for (const long line : changed_lines_) typed += RowsOf(line);
  if (dx != 0) {
    view->scroll(dx, 0, QRect(start, 0, right - start, size.height()));
    late_ = QRegion(dx < 0 ? QRect(right + dx, 0, -dx, size.height())
                           : QRect(start, 0, dx, size.height())) -
            typed;
    view->update(late_);
  }
  // Without a scroll, a character typed within its line repaints only that line and the caret.
  view->update(typed);
}

void CodeEditor::inputMethodEvent(QInputMethodEvent* event) {
  QsciScintilla::inputMethodEvent(event);
  SettleInsertion();
}

void CodeEditor::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the primary selection.
  if (event->button() == Qt::MiddleButton &&
      !PasteAllowed(QGuiApplication::clipboard()->text(QClipboard::Selection))) {
    event->accept();
    return;
  }
  QsciScintilla::mouseReleaseEvent(event);
}

void CodeEditor::dropEvent(QDropEvent* event) {
  if (event->mimeData() != nullptr && event->mimeData()->hasText() &&
      !PasteAllowed(event->mimeData()->text())) {
    event->ignore();
    return;
  }
  QsciScintilla::dropEvent(event);
}

void CodeEditor::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  if (menu == nullptr) return;
  if (show_toolbar_ != nullptr && show_toolbar_->text() == "Show Toolbar") {
    menu->addSeparator();
    menu->addAction(show_toolbar_);
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

}  // namespace quillan::gui
