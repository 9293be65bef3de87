#include "gui/windows/about_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/icons.h"
#include "gui/widgets/tool_window_parts.h"

namespace quillan::gui {

namespace {

constexpr const char* kScreenName = "QuillanDev";
constexpr const char* kCredits =
    "Quillan is written by the Quillan developers. It helps you edit Visual Basic code and "
    "offers tools such as the Code Generator, API Spy and Window Spy.";

void SetLinkLook(QLabel* link, bool hovered) {
  QPalette palette = link->palette();
  palette.setColor(QPalette::WindowText, hovered ? QColor(0, 0, 255) : QColor(0, 0, 0));
  link->setPalette(palette);
  QFont font = link->font();
  font.setUnderline(hovered);
  link->setFont(font);
}

}  // namespace

AboutDialog::AboutDialog(platform::ShellIntegration& shell, QWidget& main_window)
    : QDialog(&main_window), shell_(shell) {
  setObjectName("frmAbout");
  setWindowTitle("About Quillan");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  auto* frame = new QGroupBox("About", this);
  frame->setObjectName("Frame1");
  frame_ = frame;
  auto* icon = new QLabel(frame);
  icon->setObjectName("Picture1");
  icon->setPixmap(AppIcon().pixmap(32, 32));
  auto label = [frame](const char* name, const QString& text) {
    auto* l = new QLabel(text, frame);
    l->setObjectName(name);
    l->setMouseTracking(true);
    return l;
  };
  QLabel* credits = label("Label1", kCredits);
  credits->setWordWrap(true);
  credits->setMinimumWidth(300);
  QLabel* web_label = label("Label2", "Web:");
  web_ = label("Label4", kWebAddress);
  QLabel* mail_label = label("Label3", "Email:");
  mail_ = label("Label5", kMailAddress);
  QLabel* chat_label = label("Label6", "AIM:");
  QLabel* chat = label("Label7", kScreenName);
  SetLinkLook(web_, false);
  SetLinkLook(mail_, false);
  frame->setMouseTracking(true);
  plain_ = {frame, credits, web_label, mail_label, chat_label, chat};
  for (QObject* o : plain_) o->installEventFilter(this);
  web_->installEventFilter(this);
  mail_->installEventFilter(this);

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(credits, 1);
  auto* links = new QGridLayout;
  links->addWidget(web_label, 0, 0);
  links->addWidget(web_, 0, 1);
  links->addWidget(mail_label, 1, 0);
  links->addWidget(mail_, 1, 1);
  links->addWidget(chat_label, 2, 0);
  links->addWidget(chat, 2, 1);
  links->setColumnStretch(1, 1);
  auto* ok = ToolButton(frame, "SSCommand1", "&OK");
  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addLayout(top);
  frame_layout->addLayout(links);
  frame_layout->addWidget(ok, 0, Qt::AlignRight);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  connect(ok, &QPushButton::clicked, this, &QWidget::hide);
}

void AboutDialog::SetHover(QLabel* link) {
  if (link != nullptr) {
    SetLinkLook(link, true);
    setCursor(Qt::PointingHandCursor);
    return;
  }
  SetLinkLook(web_, false);
  SetLinkLook(mail_, false);
  unsetCursor();
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseMove:
      // Over a link only that link lights up; the frame and the plain labels put both out.
      if (watched == web_ || watched == mail_) {
        SetHover(static_cast<QLabel*>(watched));
        return true;  // not on to the frame beneath, which would put the link out again
      } else if (plain_.contains(watched)) {
        SetHover(nullptr);
      }
      break;
    case QEvent::MouseButtonPress:
      if (watched == web_) shell_.OpenUrl(kWebAddress);
      break;
    case QEvent::MouseButtonRelease:
      if (watched == mail_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
          mail_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        shell_.OpenUrl(std::string("mailto:") + kMailAddress);
      }
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quillan::gui
