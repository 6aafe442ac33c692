#pragma once

#include "platform/session/desktop.h"

#include <QPointer>

class QLabel;

class TQtDesktop : public IDesktop {
public:
    ~TQtDesktop() override;
    std::optional<QString> ChooseFolder(const QString& title, QWidget* owner) override;
    void OpenUrl(const QString& url) override;
    void ShowHelpPopup(const QString& text, const QPoint& screenPos) override;
    void ShowNormal(QWidget* window) override;
    void ActivateWindow(QWidget* window) override;

private:
    QPointer<QLabel> FPopup;
};
