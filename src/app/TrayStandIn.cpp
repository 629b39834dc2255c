#include "app/TrayStandIn.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include "platform/qt/Translate.h"

#include "shell/Form2.h"

namespace orv {

TrayStandIn::TrayStandIn(std::function<void()> openMenu, std::function<void()> trayAppeared,
                         std::function<bool()> isTrayAvailable)
    : openMenu_(std::move(openMenu)),
      trayAppeared_(std::move(trayAppeared)),
      isTrayAvailable_(std::move(isTrayAvailable)),
      menuButton_(new QToolButton(this)),
      poll_(new QTimer(this)) {
    setObjectName(QStringLiteral("TrayStandIn"));
    setWindowTitle(QStringLiteral("Orvane Tessaly"));
    setWindowIcon(QIcon(kProgramIcon));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(kProgramIcon).pixmap(32, 32));
    layout->addWidget(icon);
    layout->addWidget(new QLabel(QStringLiteral("Orvane Tessaly"), this));
    layout->addStretch();
    menuButton_->setObjectName(QStringLiteral("menu"));
    menuButton_->setText(QCoreApplication::translate(kTextContext, "Menu"));
    menuButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    menuButton_->setMinimumSize(64, 32);
    layout->addWidget(menuButton_);
    QObject::connect(menuButton_, &QToolButton::clicked, this, [this] { openMenu_(); });
    setFixedSize(sizeHint().expandedTo(QSize(260, 48)));
    QObject::connect(poll_, &QTimer::timeout, this, [this] { CheckTray(); });
    poll_->start(2000);
    standingIn_ = !isTrayAvailable_();
    if (standingIn_) show();
}

void TrayStandIn::CheckTray() {
    const bool available = isTrayAvailable_();
    if (available == !standingIn_) return;
    standingIn_ = !available;
    if (standingIn_) {
        // The notification area went: the window is the way in again.
        showNormal();
        raise();
        return;
    }
    hide();
    trayAppeared_();
}

void TrayStandIn::closeEvent(QCloseEvent* event) {
    event->ignore();
    showMinimized();
}

}  // namespace orv
