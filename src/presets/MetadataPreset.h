#pragma once

#include "core/PNGComment.h"

#include <QString>
#include <QVariantMap>

#include <memory>

class QXmlStreamAttributes;
class QXmlStreamWriter;
struct PNGinfo;

// One reusable keyword/value pair of the shared preset list. The value keeps its text
// macros unexpanded until the preset becomes a comment for a particular image. A null
// QString stands for an absent field; an empty stored shorthand counts as stored.
class MetadataPreset
{
public:
    static constexpr int MaxDerivedShorthandLength = 40;

    // All three fields absent.
    MetadataPreset() = default;
    // Keyword and value as given (no shortening), no stored shorthand.
    MetadataPreset(const QString &keyword, const QString &value);

    static std::shared_ptr<MetadataPreset> presetWithKeyword(const QString &keyword, const QString &value);

    QString keyword() const { return m_keyword; }
    QString value() const { return m_value; }
    // The stored shorthand as it is (null when none is stored).
    QString storedShorthand() const { return m_shorthand; }
    bool hasStoredShorthand() const { return !m_shorthand.isNull(); }

    // Keeps at most 79 UTF-16 code units, like a comment keyword.
    void setKeyword(const QString &keyword);
    void setValue(const QString &value) { m_value = value; }
    // Stores the shorthand unchanged; an empty string is a stored shorthand, null removes it.
    void setShorthand(const QString &shorthand) { m_shorthand = shorthand; }

    // The display text shown in every preset menu: the stored shorthand, else one derived
    // from keyword and value (at most 40 UTF-16 code units), else null.
    QString shorthand() const;
    // What the preset editor's table, the preset menus and velmora-cli show: shorthand(),
    // "" when there is none (never the keyword in its place).
    QString displayText() const;
    QString updatedShorthandForEditor() const { return shorthand(); }
    // The value, or "" when it is absent.
    QString exportValue() const;
    bool isValid() const { return !m_keyword.isEmpty(); }

    // Negative, zero or positive: display texts compared case-insensitively, an absent
    // one counting as empty. The sort order of the preset list.
    int compare(const MetadataPreset &other) const;

    // The <comment keyword="…" text="…" [shorthand="…"]/> element.
    void writeXml(QXmlStreamWriter &writer) const;
    // The same element as a string, without XML declaration.
    QString xml() const;
    // A preset from the attributes of such an element: keyword and value as given (a missing
    // attribute leaves the field absent), the display text only when the attribute is there.
    static std::shared_ptr<MetadataPreset> fromXmlAttributes(const QXmlStreamAttributes &attributes);

    // A comment with the preset's keyword (cut at 79) and its value expanded against info;
    // an absent or empty value gives "".
    CommentPtr newComment(const PNGinfo &info) const;
    // A comment with the preset's keyword (cut at 79) and its value as typed.
    CommentPtr unprocessedComment() const;

    // Keyed archiving: "keyword", "text" (the value) and, only when stored, "shorthand".
    QVariantMap encode() const;
    static std::shared_ptr<MetadataPreset> decode(const QVariantMap &map);

    // Equal fields; a stored empty shorthand differs from none.
    bool operator==(const MetadataPreset &other) const
    {
        return m_keyword == other.m_keyword && m_keyword.isNull() == other.m_keyword.isNull()
            && m_value == other.m_value && m_value.isNull() == other.m_value.isNull()
            && m_shorthand == other.m_shorthand && m_shorthand.isNull() == other.m_shorthand.isNull();
    }

private:
    QString m_keyword;
    QString m_value;
    QString m_shorthand;
};

using PresetPtr = std::shared_ptr<MetadataPreset>;
using PresetList = QList<PresetPtr>;
