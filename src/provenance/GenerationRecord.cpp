#include "provenance/GenerationRecord.h"
#include "core/Strings.h"

#include "provenance/ComfyGraph.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

// The JSON object a text holds; empty when it holds anything else.
QJsonObject jsonObject(const QString &text)
{
    const QString t = text.trimmed();
    if (!t.startsWith(u'{'))
        return QJsonObject();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(t.toUtf8(), &error);
    return error.error == QJsonParseError::NoError ? doc.object() : QJsonObject();
}

using Field = QString GenerationRecord::*;

// Fills the fields from the object's keys paired with them and the size from "width" and
// "height"; every other key but those in read (taken by the caller) becomes an extra.
void readObject(GenerationRecord &r, const QJsonObject &o, std::initializer_list<std::pair<Field, const char *>> fields,
    std::initializer_list<const char *> read)
{
    QStringList used { QStringLiteral("width"), QStringLiteral("height") };
    for (const auto &[field, key] : fields) {
        r.*field = GenerationRecord::jsonText(o.value(QLatin1String(key)));
        used << QLatin1String(key);
    }
    for (const char *key : read)
        used << QLatin1String(key);
    const QString w = GenerationRecord::jsonText(o.value(QLatin1String("width")));
    const QString h = GenerationRecord::jsonText(o.value(QLatin1String("height")));
    if (!w.isEmpty() && !h.isEmpty())
        r.size = w + u'x' + h;
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!used.contains(it.key()) && !it.value().isNull())
            r.extras.append({ it.key(), GenerationRecord::jsonText(it.value()) });
    }
}

// --- A1111-style "parameters" ------------------------------------------------------------

// "Key: value" pairs of the settings line; a value in double quotes may hold commas.
const QRegularExpression &settingPattern()
{
    static const QRegularExpression re(QStringLiteral(R"re(\s*(\w[\w \-/]+):\s*("(?:\\.|[^\\"])+"|[^,]*)(?:,|$))re"));
    return re;
}

QString unquoted(const QString &value)
{
    if (value.size() < 2 || !value.startsWith(u'"') || !value.endsWith(u'"'))
        return value;
    const QJsonArray a = QJsonDocument::fromJson((u'[' + value + u']').toUtf8()).array();
    return a.size() == 1 && a.at(0).isString() ? a.at(0).toString() : value;
}

std::optional<GenerationRecord> fromParameters(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'{') || trimmed.startsWith(u'['))
        return std::nullopt;
    QStringList lines = trimmed.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    // The last line holds the settings when it has at least three of them.
    QList<QPair<QString, QString>> settings;
    auto it = settingPattern().globalMatch(lines.last());
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(0) > 0)
            settings.append({ m.captured(1).trimmed(), unquoted(m.captured(2).trimmed()) });
    }
    if (settings.size() >= 3)
        lines.removeLast();
    else
        settings.clear();

    GenerationRecord r;
    r.generator = QStringLiteral("Stable Diffusion web UI");
    r.keyword = QStringLiteral("parameters");
    bool negative = false;
    QStringList prompt, negativePrompt;
    for (QString line : std::as_const(lines)) {
        if (line.startsWith(QLatin1String("Negative prompt:"))) {
            negative = true;
            line = line.mid(16).trimmed();
        }
        (negative ? negativePrompt : prompt).append(line);
    }
    r.prompt = prompt.join(u'\n').trimmed();
    r.negativePrompt = negativePrompt.join(u'\n').trimmed();
    const QList<QPair<const char *, QString GenerationRecord::*>> fields {
        { QT_TRANSLATE_NOOP("FieldName", "Steps"), &GenerationRecord::steps },
        { QT_TRANSLATE_NOOP("FieldName", "Sampler"), &GenerationRecord::sampler },
        { "Schedule type", &GenerationRecord::scheduler },
        { QT_TRANSLATE_NOOP("FieldName", "CFG scale"), &GenerationRecord::cfgScale },
        { QT_TRANSLATE_NOOP("FieldName", "Seed"), &GenerationRecord::seed },
        { QT_TRANSLATE_NOOP("FieldName", "Size"), &GenerationRecord::size },
        { QT_TRANSLATE_NOOP("FieldName", "Model hash"), &GenerationRecord::modelHash },
        { QT_TRANSLATE_NOOP("FieldName", "Model"), &GenerationRecord::model },
    };
    for (const auto &setting : std::as_const(settings)) {
        const QString &key = setting.first, &value = setting.second;
        const auto field
            = std::find_if(fields.begin(), fields.end(), [&](const auto &f) { return key == QLatin1String(f.first); });
        if (field != fields.end())
            r.*(field->second) = value;
        else if (key == u"Version")
            r.generator += u' ' + value;
        else
            r.extras.append({ key, value });
    }
    return r;
}

// --- NovelAI: "Comment" with "Description", "Software" and "Source" -----------------------

// The text of a NovelAI V4 caption ({"caption": {"base_caption": …, "char_captions":
// [{"char_caption": …}]}}), one line per caption, or a plain string.
QString caption(const QJsonValue &v)
{
    if (v.isString())
        return v.toString();
    const QJsonObject c = v.toObject().value(QLatin1String("caption")).toObject();
    QStringList lines { c.value(QLatin1String("base_caption")).toString() };
    for (const QJsonValue &character : c.value(QLatin1String("char_captions")).toArray())
        lines << character.toObject().value(QLatin1String("char_caption")).toString();
    lines.removeAll(QString());
    return lines.join(u'\n');
}

std::optional<GenerationRecord> fromNovelAi(const QString &comment, const QHash<QString, QString> &entries)
{
    const QJsonObject o = jsonObject(comment);
    const bool prompted = o.contains(QLatin1String("prompt")) || o.contains(QLatin1String("v4_prompt"));
    const bool sampled = o.contains(QLatin1String("steps")) || o.contains(QLatin1String("sampler"))
        || o.contains(QLatin1String("scale")) || o.contains(QLatin1String("seed"));
    if (!prompted || !sampled)
        return std::nullopt;
    GenerationRecord r;
    const QString software = entries.value(QStringLiteral("Software"));
    r.generator = software.isEmpty() ? QStringLiteral("NovelAI") : software;
    r.keyword = QStringLiteral("Comment");
    r.prompt = caption(o.value(QLatin1String("prompt")));
    if (r.prompt.isEmpty())
        r.prompt = caption(o.value(QLatin1String("v4_prompt")));
    if (r.prompt.isEmpty())
        r.prompt = entries.value(QStringLiteral("Description"));
    r.negativePrompt = caption(o.value(QLatin1String("uc")));
    if (r.negativePrompt.isEmpty())
        r.negativePrompt = caption(o.value(QLatin1String("v4_negative_prompt")));
    readObject(r, o,
        { { &GenerationRecord::seed, "seed" }, { &GenerationRecord::steps, "steps" },
            { &GenerationRecord::sampler, "sampler" }, { &GenerationRecord::scheduler, "noise_schedule" },
            { &GenerationRecord::cfgScale, "scale" } },
        { "prompt", "v4_prompt", "uc", "v4_negative_prompt" });
    // "NovelAI Diffusion V4.5 4BDE2A90": the model and the hash of its weights.
    const QString source = entries.value(QStringLiteral("Source")).trimmed();
    static const QRegularExpression hashed(QStringLiteral(R"(^(.*\S)\s+([0-9A-Fa-f]{8})$)"));
    const QRegularExpressionMatch m = hashed.match(source);
    r.model = m.hasMatch() ? m.captured(1) : source;
    r.modelHash = m.hasMatch() ? m.captured(2) : QString();
    return r;
}

// --- InvokeAI: "invokeai_metadata" ------------------------------------------------------------

std::optional<GenerationRecord> fromInvokeAi(const QString &text)
{
    const QJsonObject o = jsonObject(text);
    if (o.isEmpty())
        return std::nullopt;
    GenerationRecord r;
    const QString version = GenerationRecord::jsonText(o.value(QLatin1String("app_version")));
    r.generator = version.isEmpty() ? QStringLiteral("InvokeAI") : QStringLiteral("InvokeAI ") + version;
    r.keyword = QStringLiteral("invokeai_metadata");
    readObject(r, o,
        { { &GenerationRecord::prompt, "positive_prompt" }, { &GenerationRecord::negativePrompt, "negative_prompt" },
            { &GenerationRecord::seed, "seed" }, { &GenerationRecord::steps, "steps" },
            { &GenerationRecord::scheduler, "scheduler" }, { &GenerationRecord::cfgScale, "cfg_scale" } },
        { "app_version", "model" });
    // {"name": …, "hash": …} since version 4, {"model_name": …} before.
    const QJsonValue model = o.value(QLatin1String("model"));
    const QJsonObject m = model.toObject();
    r.model = model.isString() ? model.toString() : GenerationRecord::jsonText(m.value(QLatin1String("name")));
    if (r.model.isEmpty())
        r.model = GenerationRecord::jsonText(m.value(QLatin1String("model_name")));
    r.modelHash = GenerationRecord::jsonText(m.value(QLatin1String("hash")));
    return r;
}

QList<GenerationRecord> fromGraph(const QString &keyword, const QString &text)
{
    const QJsonObject o = jsonObject(text);
    ComfyGraph graph;
    const bool read = keyword == u"prompt" ? ComfyGraph::fromApi(o, &graph) : ComfyGraph::fromWorkflow(o, &graph);
    QList<GenerationRecord> records = read ? graph.records() : QList<GenerationRecord>();
    for (GenerationRecord &r : records)
        r.keyword = keyword;
    return records;
}

} // namespace

bool GenerationRecord::isGenerationKeyword(const QString &keyword)
{
    static const QStringList keywords { QStringLiteral("parameters"), QStringLiteral("prompt"),
        QStringLiteral("workflow"), QStringLiteral("Comment"), QStringLiteral("invokeai_metadata") };
    return keywords.contains(keyword);
}

QList<GenerationRecord> GenerationRecord::fromEntries(const CommentList &entries)
{
    QHash<QString, QString> first; // the first text of each keyword
    for (const CommentPtr &c : entries) {
        if (c && !c->keyword().isEmpty() && !first.contains(c->keyword()))
            first.insert(c->keyword(), c->exportText());
    }
    QList<GenerationRecord> records;
    bool fromPromptGraph = false;
    for (const CommentPtr &c : entries) {
        if (!c || !isGenerationKeyword(c->keyword()))
            continue;
        const QString keyword = c->keyword(), text = c->exportText();
        std::optional<GenerationRecord> one;
        if (keyword == u"parameters") {
            one = fromParameters(text);
        } else if (keyword == u"Comment") {
            one = fromNovelAi(text, first);
        } else if (keyword == u"invokeai_metadata") {
            one = fromInvokeAi(text);
        } else if (keyword == u"prompt") {
            const QList<GenerationRecord> graph = fromGraph(keyword, text);
            fromPromptGraph = fromPromptGraph || !graph.isEmpty();
            records += graph;
        }
        if (one)
            records.append(*one);
    }
    // The editor graph repeats what the API graph says; it counts only without one.
    if (!fromPromptGraph) {
        for (const CommentPtr &c : entries) {
            if (c && c->keyword() == u"workflow")
                records += fromGraph(c->keyword(), c->exportText());
        }
    }
    return records;
}

QList<QPair<QString, QString>> GenerationRecord::labelledFields() const
{
    const QPair<const char *, QString> fields[] = {
        { QT_TRANSLATE_NOOP("FieldName", "Generator"), generator },
        { QT_TRANSLATE_NOOP("FieldName", "Entry"), keyword },
        { QT_TRANSLATE_NOOP("FieldName", "Node"), node },
        { QT_TRANSLATE_NOOP("FieldName", "Prompt"), prompt },
        { QT_TRANSLATE_NOOP("FieldName", "Negative prompt"), negativePrompt },
        { "Seed", seed },
        { "Steps", steps },
        { "Sampler", sampler },
        { QT_TRANSLATE_NOOP("FieldName", "Scheduler"), scheduler },
        { "CFG scale", cfgScale },
        { "Model", model },
        { "Model hash", modelHash },
        { "Size", size },
    };
    QList<QPair<QString, QString>> result;
    for (const auto &[label, value] : fields) {
        if (!value.isEmpty())
            result.append({ rememberedText("FieldName", label), value });
    }
    return result + extras;
}

QString GenerationRecord::jsonText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
    case QJsonValue::Bool:
        return value.toVariant().toString();
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    default:
        return QString();
    }
}

QJsonObject GenerationRecord::toJson() const
{
    const QPair<const char *, QString> fields[] = {
        { "generator", generator },
        { "keyword", keyword },
        { "node", node },
        { "prompt", prompt },
        { "negative_prompt", negativePrompt },
        { "seed", seed },
        { "steps", steps },
        { "sampler", sampler },
        { "scheduler", scheduler },
        { "cfg_scale", cfgScale },
        { "model", model },
        { "model_hash", modelHash },
        { "size", size },
    };
    QJsonObject o;
    for (const auto &[key, value] : fields) {
        if (!value.isEmpty())
            o.insert(QLatin1String(key), value);
    }
    QJsonObject extra;
    for (const auto &[key, value] : extras)
        extra.insert(key, value);
    if (!extra.isEmpty())
        o.insert(QLatin1String("extra"), extra);
    return o;
}
