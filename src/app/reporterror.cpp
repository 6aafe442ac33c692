#include "app/reporterror.h"

#include "app/splash.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/systemerror.h"

void ReportError(const QString& message) {
    const int code = LastErrorCode();
    CloseSplash();
    TBoxRequest request;
    request.Text = message;
    request.Caption = ErrorCaption(code);
    request.Icon = TBoxIcon::Information;
    Platform().Boxes->Show(request);
}
