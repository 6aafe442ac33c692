// How the program learns that the user's session ends: a kill, a closed terminal or the session
// manager. Each takes the path of a close from `-terminate`, so that running saves finish and
// the settings are written.
#include "platform/session/terminationsignals.h"
#include "ui/svxform.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <exception>

void TSVXForm::WatchSessionEnd() {
    // Owned by the window: a signal that arrives after the window has gone ends the program the
    // plain way.
    auto* termination = new TTerminationSignals(this);
    connect(termination, &TTerminationSignals::Requested, this, [this] { close(); });
    // A session manager asks for the settings before it may end the session, and may then kill
    // the program without another word: they are written now. A logout that is cancelled leaves
    // the program running, so nothing else of the shutdown happens here.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        try {
            WriteSettings();
        } catch (const std::exception&) {
            // The shutdown writes them once more and reports what fails then.
        }
    });
}
