#pragma once

#include <QString>

// Whether a directory entry (file or folder) matches the path's last component, where `*` and
// `?` in that component are wildcards and everything else is literal.
bool FileProbe(const QString& path);

// The same wildcard rule on one name, for names that are not on disk yet.
bool WildcardMatch(const QString& pattern, const QString& name);
