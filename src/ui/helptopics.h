#pragma once

#include <QString>

// The help file is plain text: a line "[n]" opens the topic of help context n, and the lines
// up to the next such line are its text. Lines starting with "#" are remarks.

// The topic of `context` in the help text; empty when there is none.
QString HelpTopicFromText(const QString& helpText, int context);

// The topic of `context` in the help file at `path`; empty when the file cannot be read or
// has no such topic.
QString ReadHelpTopic(const QString& path, int context);
