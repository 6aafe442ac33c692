#pragma once

// settings/: the settings file's byte layer, the factory values as data and start at login,
// without widgets. Includes only settings/ and platform/; never capture/, audio/ or tray/, which
// sit beside it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>
#include <variant>

// The binary component-record format of the settings file: short strings, tagged values and the
// record frame around them. Pure byte work, no widgets: the window's own layer decides what a
// property means and whether a value suits it.

// Any record or value that cannot be read: data that end early, an unknown tag, a wrong
// signature. The settings reader answers every such failure the same way.
class EComponentFormat : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TValueTag : std::uint8_t {
    Null = 0, // end of a list
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,
    Nil = 13,
    Collection = 14,
    Single = 15,
    Currency = 16,
    Date = 17,
    WString = 18,
    Int64 = 19,
};

// One tagged value as read. Lists, sets and collections are read through and kept only as their
// tag: no property of ours takes one.
struct TTaggedValue {
    TValueTag Tag = TValueTag::Null;
    std::variant<std::monostate, qint64, bool, QString, QByteArray, QStringList> Payload;

    bool IsInteger() const;
    bool IsBoolean() const { return Tag == TValueTag::False || Tag == TValueTag::True; }
    bool IsString() const; // tags 6, 12 and 18
    bool IsIdent() const { return Tag == TValueTag::Ident; }
    qint64 Integer() const { return std::get<qint64>(Payload); }
    bool Boolean() const { return Tag == TValueTag::True; }
    const QString& Text() const { return std::get<QString>(Payload); }
};

// Appends the format's pieces to a byte buffer.
class TComponentWriter {
public:
    // "TPF0", class name, component name.
    void BeginRecord(const QString& className, const QString& componentName);
    // The two end bytes of properties and children.
    void EndRecord();
    void ShortString(const QString& text);
    // Integers take the smallest of the three integer tags that holds them.
    void IntegerProperty(const QString& name, qint32 value);
    void BooleanProperty(const QString& name, bool value);
    // Texts of 256 bytes or more take the long form.
    void StringProperty(const QString& name, const QString& value);
    void IdentProperty(const QString& name, const QString& value);
    void Byte(std::uint8_t value) { FBytes.append(char(value)); }
    void Int32(qint32 value);

    const QByteArray& Bytes() const { return FBytes; }

private:
    QByteArray FBytes;
};

// Reads the format from a byte buffer. Every length is checked against what is left before
// anything is allocated, so no input makes it allocate more than its own size.
class TComponentReader {
public:
    explicit TComponentReader(QByteArray bytes) : FBytes(std::move(bytes)) {}

    std::uint8_t Byte();
    qint32 Int32();
    QByteArray Bytes(qint64 count);
    QString ShortString();
    // "TPF0", the optional prefix byte (with its child position), the class name; returns the
    // component name.
    QString BeginRecord();
    // The next property name, or an empty string at the end of the properties.
    QString NextPropertyName();
    TTaggedValue Value();
    // Reads child records up to the end-of-children byte. The settings' controls have none, but
    // the format allows them.
    void SkipChildren();

    qint64 Remaining() const { return FBytes.size() - FPosition; }
    qint64 Position() const { return FPosition; }

private:
    TTaggedValue ValueAtDepth(int depth);
    // The payload of a value whose tag is read already (every tag but the list and the
    // collection, which hold values of their own).
    void ReadPayload(TTaggedValue& value);
    // The items of a collection, each a list of properties, up to the end byte.
    void SkipCollection(int depth);
    void SkipRecord(int depth);
    void Need(qint64 count) const;

    QByteArray FBytes;
    qint64 FPosition = 0;
};
