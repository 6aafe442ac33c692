#include "platform/reporterror.h"

#include "platform/modalbox.h"
#include "platform/systemerror.h"

void ReportError(const QString& message) {
    const int code = LastErrorCode();
    TBoxRequest request;
    request.Text = message;
    request.Caption = ErrorCaption(code);
    request.Icon = TBoxIcon::Information;
    ShowModalBox(request);
}
