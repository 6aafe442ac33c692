// The box that says why no file name could be made.
#include "capture/filenaming.h"
#include "capture/singlebox.h"
#include "platform/messagebox.h"
#include "platform/platform.h"

void ShowNamingError(const ENamingError& error) {
    static TSingleBox box;
    box.Show([&error] {
        TBoxRequest request;
        request.Text = QString::fromUtf8(error.what());
        request.Caption = QStringLiteral("Snapvault");
        request.Icon = TBoxIcon::Warning;
        Platform().Boxes->Show(request);
    });
}
