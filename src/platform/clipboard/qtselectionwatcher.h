#pragma once

#include "platform/clipboard/selectionwatcher.h"

#include <QObject>

// The toolkit's own clipboard notices, for an X display without XFixes: the only watcher that
// fetches on the GUI thread, as the toolkit's clipboard lives there.
class TQtSelectionWatcher : public ISelectionWatcher {
public:
    explicit TQtSelectionWatcher(TReport report) : FReport(std::move(report)) {}
    bool Start() override;

private:
    TReport FReport;
    QObject FReceiver; // the notices' connection ends with it
};
