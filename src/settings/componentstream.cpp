#include "settings/componentstream.h"

#include <QtEndian>

namespace {

const QByteArray Signature = QByteArrayLiteral("TPF0");
constexpr int ShortLimit = 256;
// Lists and collections nest; a hostile file must not take the reader down with its stack.
constexpr int MaxDepth = 32;

QByteArray Encoded(const QString& text) {
    // The file system's encoding: paths and names are stored as the system spells them.
    return text.toUtf8();
}

} // namespace

bool TTaggedValue::IsInteger() const {
    return Tag == TValueTag::Int8 || Tag == TValueTag::Int16 || Tag == TValueTag::Int32 ||
           Tag == TValueTag::Int64;
}

bool TTaggedValue::IsString() const {
    return Tag == TValueTag::String || Tag == TValueTag::LString || Tag == TValueTag::WString;
}

// ---- writer ----

void TComponentWriter::BeginRecord(const QString& className, const QString& componentName) {
    FBytes.append(Signature);
    ShortString(className);
    ShortString(componentName);
}

void TComponentWriter::EndRecord() {
    Byte(0); // end of properties
    Byte(0); // end of children
}

void TComponentWriter::ShortString(const QString& text) {
    const QByteArray bytes = Encoded(text).left(ShortLimit - 1);
    Byte(std::uint8_t(bytes.size()));
    FBytes.append(bytes);
}

void TComponentWriter::Int32(qint32 value) {
    char raw[4];
    qToLittleEndian(value, raw);
    FBytes.append(raw, 4);
}

void TComponentWriter::IntegerProperty(const QString& name, qint32 value) {
    ShortString(name);
    if (value >= -128 && value <= 127) {
        Byte(std::uint8_t(TValueTag::Int8));
        Byte(std::uint8_t(qint8(value)));
    } else if (value >= -32768 && value <= 32767) {
        Byte(std::uint8_t(TValueTag::Int16));
        char raw[2];
        qToLittleEndian(qint16(value), raw);
        FBytes.append(raw, 2);
    } else {
        Byte(std::uint8_t(TValueTag::Int32));
        Int32(value);
    }
}

void TComponentWriter::BooleanProperty(const QString& name, bool value) {
    ShortString(name);
    Byte(std::uint8_t(value ? TValueTag::True : TValueTag::False));
}

void TComponentWriter::StringProperty(const QString& name, const QString& value) {
    ShortString(name);
    const QByteArray bytes = Encoded(value);
    if (bytes.size() < ShortLimit) {
        Byte(std::uint8_t(TValueTag::String));
        Byte(std::uint8_t(bytes.size()));
    } else {
        Byte(std::uint8_t(TValueTag::LString));
        Int32(qint32(bytes.size()));
    }
    FBytes.append(bytes);
}

void TComponentWriter::IdentProperty(const QString& name, const QString& value) {
    ShortString(name);
    Byte(std::uint8_t(TValueTag::Ident));
    ShortString(value);
}

// ---- reader ----

void TComponentReader::Need(qint64 count) const {
    if (count < 0 || count > Remaining())
        throw EComponentFormat("the data end early");
}

std::uint8_t TComponentReader::Byte() {
    Need(1);
    return std::uint8_t(FBytes.at(FPosition++));
}

qint32 TComponentReader::Int32() {
    Need(4);
    const qint32 value = qFromLittleEndian<qint32>(FBytes.constData() + FPosition);
    FPosition += 4;
    return value;
}

QByteArray TComponentReader::Bytes(qint64 count) {
    Need(count);
    QByteArray bytes = FBytes.mid(FPosition, count);
    FPosition += count;
    return bytes;
}

QString TComponentReader::ShortString() {
    const int length = Byte();
    return QString::fromUtf8(Bytes(length));
}

QString TComponentReader::BeginRecord() {
    if (Bytes(Signature.size()) != Signature)
        throw EComponentFormat("bad signature");
    Need(1);
    const std::uint8_t prefix = std::uint8_t(FBytes.at(FPosition));
    if ((prefix & 0xF0) == 0xF0) {
        ++FPosition;
        if (prefix & 0x02) {
            // The child position: an integer value of its own.
            if (!Value().IsInteger())
                throw EComponentFormat("bad child position");
        }
    }
    ShortString(); // class name: not checked
    return ShortString();
}

QString TComponentReader::NextPropertyName() {
    return ShortString();
}

TTaggedValue TComponentReader::Value() {
    return ValueAtDepth(0);
}

TTaggedValue TComponentReader::ValueAtDepth(int depth) {
    if (depth > MaxDepth)
        throw EComponentFormat("values nested too deep");
    TTaggedValue value;
    const std::uint8_t tag = Byte();
    if (tag > std::uint8_t(TValueTag::Int64))
        throw EComponentFormat("unknown value tag");
    value.Tag = TValueTag(tag);
    switch (value.Tag) {
    case TValueTag::List:
        while (ValueAtDepth(depth + 1).Tag != TValueTag::Null) {
        }
        break;
    case TValueTag::Collection:
        SkipCollection(depth);
        break;
    default:
        ReadPayload(value);
        break;
    }
    return value;
}

void TComponentReader::ReadPayload(TTaggedValue& value) {
    switch (value.Tag) {
    case TValueTag::Null:
    case TValueTag::Nil:
        break;
    case TValueTag::False:
        value.Payload = false;
        break;
    case TValueTag::True:
        value.Payload = true;
        break;
    case TValueTag::Int8:
        value.Payload = qint64(qint8(Byte()));
        break;
    case TValueTag::Int16: {
        const QByteArray raw = Bytes(2);
        value.Payload = qint64(qFromLittleEndian<qint16>(raw.constData()));
        break;
    }
    case TValueTag::Int32:
        value.Payload = qint64(Int32());
        break;
    case TValueTag::Int64: {
        const QByteArray raw = Bytes(8);
        value.Payload = qFromLittleEndian<qint64>(raw.constData());
        break;
    }
    case TValueTag::Extended:
        value.Payload = Bytes(10);
        break;
    case TValueTag::Single:
        value.Payload = Bytes(4);
        break;
    case TValueTag::Currency:
    case TValueTag::Date:
        value.Payload = Bytes(8);
        break;
    case TValueTag::String:
    case TValueTag::Ident:
        value.Payload = ShortString();
        break;
    case TValueTag::LString:
        value.Payload = QString::fromUtf8(Bytes(quint32(Int32())));
        break;
    case TValueTag::WString: {
        const qint64 characters = quint32(Int32());
        const QByteArray raw = Bytes(characters * 2);
        QString text(qsizetype(characters), Qt::Uninitialized);
        for (qint64 i = 0; i < characters; ++i)
            text[i] = QChar(qFromLittleEndian<quint16>(raw.constData() + 2 * i));
        value.Payload = text;
        break;
    }
    case TValueTag::Binary:
        value.Payload = Bytes(quint32(Int32()));
        break;
    case TValueTag::Set: {
        QStringList members;
        for (QString member = ShortString(); !member.isEmpty(); member = ShortString())
            members.append(member);
        value.Payload = members;
        break;
    }
    case TValueTag::List:
    case TValueTag::Collection:
        break; // values of their own: read by ValueAtDepth
    }
}

void TComponentReader::SkipCollection(int depth) {
    // Items: each a list tag, properties up to an empty name, and an end tag.
    for (std::uint8_t item = Byte(); item != 0; item = Byte()) {
        // An item may carry its index in front.
        if (item == std::uint8_t(TValueTag::Int8))
            Bytes(1);
        else if (item == std::uint8_t(TValueTag::Int16))
            Bytes(2);
        else if (item == std::uint8_t(TValueTag::Int32))
            Bytes(4);
        if (item >= std::uint8_t(TValueTag::Int8) && item <= std::uint8_t(TValueTag::Int32))
            item = Byte();
        if (item != std::uint8_t(TValueTag::List))
            throw EComponentFormat("bad collection item");
        while (!NextPropertyName().isEmpty())
            ValueAtDepth(depth + 1);
    }
}

void TComponentReader::SkipChildren() {
    SkipRecord(0);
}

void TComponentReader::SkipRecord(int depth) {
    // Child records follow until an empty one (a single end byte).
    while (true) {
        Need(1);
        if (FBytes.at(FPosition) == 0) {
            ++FPosition;
            return;
        }
        if (depth >= MaxDepth)
            throw EComponentFormat("records nested too deep");
        // A child record inside a record carries no signature of its own.
        const std::uint8_t prefix = std::uint8_t(FBytes.at(FPosition));
        if ((prefix & 0xF0) == 0xF0) {
            ++FPosition;
            if ((prefix & 0x02) && !Value().IsInteger())
                throw EComponentFormat("bad child position");
        }
        ShortString();
        ShortString();
        while (!NextPropertyName().isEmpty())
            Value();
        SkipRecord(depth + 1);
    }
}
