#pragma once

class QWidget;
class TComponentReader;
class TComponentWriter;
struct TOptionControl;

// One option control as a component record: what the control's kind writes, in the kind's
// order and only where it differs from the kind's default, and how each property read back is
// checked and applied to the live control. A change applied here behaves like the user's: the
// control's handlers run.

void WriteControlRecord(TComponentWriter& writer, const TOptionControl& entry,
                        const QWidget& control);

// Reads one record into `control`, applying every value at once in file order. Throws
// EComponentFormat for a record that is malformed, names a property the kind does not have, or
// carries a value that does not suit it.
void ReadControlRecord(TComponentReader& reader, const TOptionControl& entry, QWidget& control);
