#include "platform/qtmessageboxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <memory>

namespace {

QMessageBox::Icon ToQt(TBoxIcon icon) {
    switch (icon) {
    case TBoxIcon::Error:
        return QMessageBox::Critical;
    case TBoxIcon::Question:
        return QMessageBox::Question;
    case TBoxIcon::Warning:
        return QMessageBox::Warning;
    case TBoxIcon::None:
        return QMessageBox::NoIcon;
    case TBoxIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

std::unique_ptr<QMessageBox> MakeBox(const TBoxRequest& request) {
    auto box = std::make_unique<QMessageBox>(ToQt(request.Icon), request.Caption, request.Text,
                                             QMessageBox::NoButton, request.Owner);
    if (request.Buttons == TBoxButtons::YesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    // A box of its own must still be found on a crowded desktop.
    box->setWindowFlag(Qt::WindowStaysOnTopHint, request.Owner == nullptr);
    return box;
}

TBoxResult ToResult(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return TBoxResult::Yes;
    case QMessageBox::No:
        return TBoxResult::No;
    default:
        return TBoxResult::Ok;
    }
}

} // namespace

TBoxResult TQtMessageBoxes::Show(const TBoxRequest& request) {
    auto box = MakeBox(request);
    return ToResult(box->exec());
}

std::function<void()> TQtMessageBoxes::ShowAsync(const TBoxRequest& request,
                                                 std::function<void(TBoxResult)> done) {
    QMessageBox* box = MakeBox(request).release(); // owned by itself: deleted when closed
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box, [done = std::move(done)](int button) {
        if (done)
            done(ToResult(button));
    });
    box->show();
    return [open = QPointer<QMessageBox>(box)] {
        if (open != nullptr)
            open->close();
    };
}
