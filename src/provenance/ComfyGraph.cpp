#include "provenance/ComfyGraph.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace {

// Links are followed at most this deep; conditioning, whose traces remember the nodes they
// visited, deeper (graphs chain many combinations), but never so deep that the stack runs out.
constexpr int kMaxDepth = 48;
constexpr int kMaxConditioningDepth = 2000;

QString jsonText(const QJsonValue &v)
{
    return GenerationRecord::jsonText(v);
}

// The widget names of the common nodes of the editor form, in the order of their values.
const QHash<QString, QStringList> &widgetNames()
{
    static const QHash<QString, QStringList> names {
        { QStringLiteral("KSampler"), { "seed", "steps", "cfg", "sampler_name", "scheduler", "denoise" } },
        { QStringLiteral("KSamplerAdvanced"),
            { "add_noise", "noise_seed", "steps", "cfg", "sampler_name", "scheduler", "start_at_step", "end_at_step",
                "return_with_leftover_noise" } },
        { QStringLiteral("SamplerCustom"), { "add_noise", "noise_seed", "cfg" } },
        { QStringLiteral("RandomNoise"), { "noise_seed" } },
        { QStringLiteral("KSamplerSelect"), { "sampler_name" } },
        { QStringLiteral("BasicScheduler"), { "scheduler", "steps", "denoise" } },
        { QStringLiteral("CFGGuider"), { "cfg" } },
        { QStringLiteral("FluxGuidance"), { "guidance" } },
        { QStringLiteral("CLIPTextEncode"), { "text" } },
        { QStringLiteral("CLIPTextEncodeSDXL"),
            { "width", "height", "crop_w", "crop_h", "target_width", "target_height", "text_g", "text_l" } },
        { QStringLiteral("CLIPTextEncodeSDXLRefiner"), { "ascore", "width", "height", "text" } },
        { QStringLiteral("CLIPTextEncodeFlux"), { "clip_l", "t5xxl", "guidance" } },
        { QStringLiteral("CheckpointLoaderSimple"), { "ckpt_name" } },
        { QStringLiteral("CheckpointLoader"), { "config_name", "ckpt_name" } },
        { QStringLiteral("UNETLoader"), { "unet_name", "weight_dtype" } },
        { QStringLiteral("LoraLoader"), { "lora_name", "strength_model", "strength_clip" } },
        { QStringLiteral("LoraLoaderModelOnly"), { "lora_name", "strength_model" } },
        { QStringLiteral("EmptyLatentImage"), { "width", "height", "batch_size" } },
        { QStringLiteral("EmptySD3LatentImage"), { "width", "height", "batch_size" } },
        { QStringLiteral("LatentUpscale"), { "upscale_method", "width", "height", "crop" } },
        { QStringLiteral("PrimitiveNode"), { "value" } },
    };
    return names;
}

// Widgets followed by the editor's "control after generate" value ("randomize", "fixed" …).
bool hasControlValue(const QString &widget)
{
    return widget == u"seed" || widget == u"noise_seed" || widget == u"value";
}

bool isControlValue(const QJsonValue &v)
{
    static const QStringList controls { QStringLiteral("fixed"), QStringLiteral("increment"),
        QStringLiteral("decrement"), QStringLiteral("randomize") };
    return v.isBool() || (v.isString() && controls.contains(v.toString()));
}

// A node id of either form as text ("3"); empty when it is neither a string nor a number.
QString idText(const QJsonValue &v)
{
    return v.isString() || v.isDouble() ? jsonText(v) : QString();
}

// Node ids in number order where they are numbers ("2" before "10"), others after them.
bool idLess(const QString &a, const QString &b)
{
    bool aNumber = false, bNumber = false;
    const qlonglong x = a.toLongLong(&aNumber), y = b.toLongLong(&bNumber);
    if (aNumber != bNumber)
        return aNumber;
    return aNumber ? x < y : a < b;
}

const QStringList kEncoderTexts { QStringLiteral("text"), QStringLiteral("text_g"), QStringLiteral("text_l"),
    QStringLiteral("t5xxl"), QStringLiteral("clip_l"), QStringLiteral("prompt") };

} // namespace

const ComfyGraph::Input *ComfyGraph::Node::input(const QString &name) const
{
    for (const Input &in : inputs) {
        if (in.name == name)
            return &in;
    }
    return nullptr;
}

void ComfyGraph::add(Node node)
{
    if (node.id.isEmpty() || m_nodes.contains(node.id))
        return;
    m_order.append(node.id);
    m_nodes.insert(node.id, std::move(node));
}

bool ComfyGraph::fromApi(const QJsonObject &json, ComfyGraph *graph)
{
    ComfyGraph result;
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        if (!o.value(QLatin1String("class_type")).isString() || !o.value(QLatin1String("inputs")).isObject())
            continue;
        Node node;
        node.id = it.key();
        node.type = o.value(QLatin1String("class_type")).toString();
        const QJsonObject inputs = o.value(QLatin1String("inputs")).toObject();
        for (auto in = inputs.begin(); in != inputs.end(); ++in) {
            Input input;
            input.name = in.key();
            const QJsonArray link = in.value().toArray();
            if (in.value().isArray() && link.size() == 2 && !idText(link.at(0)).isEmpty() && link.at(1).isDouble()) {
                input.from = idText(link.at(0));
                input.slot = link.at(1).toInt();
            } else {
                input.value = in.value();
            }
            node.inputs.append(input);
        }
        result.add(std::move(node));
    }
    if (result.m_nodes.isEmpty())
        return false;
    std::sort(result.m_order.begin(), result.m_order.end(), idLess);
    *graph = std::move(result);
    return true;
}

bool ComfyGraph::fromWorkflow(const QJsonObject &json, ComfyGraph *graph)
{
    // Link id -> the node and output it comes from; links are arrays (older files) or objects.
    QHash<QString, QPair<QString, int>> links;
    for (const QJsonValue &l : json.value(QLatin1String("links")).toArray()) {
        const QJsonArray a = l.toArray();
        const QJsonObject o = l.toObject();
        if (a.size() >= 3)
            links.insert(idText(a.at(0)), { idText(a.at(1)), a.at(2).toInt() });
        else if (!o.isEmpty())
            links.insert(idText(o.value(QLatin1String("id"))),
                { idText(o.value(QLatin1String("origin_id"))), o.value(QLatin1String("origin_slot")).toInt() });
    }
    ComfyGraph result;
    for (const QJsonValue &n : json.value(QLatin1String("nodes")).toArray()) {
        const QJsonObject o = n.toObject();
        Node node;
        node.id = idText(o.value(QLatin1String("id")));
        node.type = o.value(QLatin1String("type")).toString();
        if (node.type.isEmpty())
            continue;
        const int mode = o.value(QLatin1String("mode")).toInt();
        node.active = mode != 2 && mode != 4; // muted, bypassed
        for (const QJsonValue &i : o.value(QLatin1String("inputs")).toArray()) {
            const QJsonObject in = i.toObject();
            const auto link = links.constFind(idText(in.value(QLatin1String("link"))));
            if (link == links.constEnd() || link->first.isEmpty())
                continue;
            node.inputs.append({ in.value(QLatin1String("name")).toString(), link->first, link->second, {} });
        }
        const QJsonValue widgets = o.value(QLatin1String("widgets_values"));
        auto addValue = [&](const QString &name, const QJsonValue &v) {
            if (!node.input(name))
                node.inputs.append({ name, {}, 0, v });
        };
        if (widgets.isObject()) {
            const QJsonObject values = widgets.toObject();
            for (auto it = values.begin(); it != values.end(); ++it)
                addValue(it.key(), it.value());
        } else {
            const QJsonArray values = widgets.toArray();
            const QStringList names = widgetNames().value(node.type);
            qsizetype at = 0;
            for (qsizetype k = 0; at < values.size(); ++k) {
                const QString name = k < names.size() ? names.at(k) : QStringLiteral("widget %1").arg(k + 1);
                addValue(name, values.at(at++));
                if (hasControlValue(name) && at < values.size() && isControlValue(values.at(at)))
                    ++at;
            }
        }
        result.add(std::move(node));
    }
    if (result.m_nodes.isEmpty())
        return false;
    *graph = std::move(result);
    return true;
}

const ComfyGraph::Node *ComfyGraph::origin(const Input *input) const
{
    if (!input || !input->isLink())
        return nullptr;
    const auto it = m_nodes.constFind(input->from);
    return it == m_nodes.constEnd() ? nullptr : &*it;
}

// A setting of a node: its value, or the value of the node linked to it (a primitive, a
// seed node): that node's input of the same name, its "value", or its only input.
QString ComfyGraph::value(const Node *node, const QString &name, int depth) const
{
    if (!node || depth > kMaxDepth)
        return QString();
    const Input *in = node->input(name);
    if (!in)
        return QString();
    if (!in->isLink())
        return jsonText(in->value);
    const Node *from = origin(in);
    if (!from)
        return QString();
    if (from->input(name))
        return value(from, name, depth + 1);
    if (from->input(QStringLiteral("value")))
        return value(from, QStringLiteral("value"), depth + 1);
    if (from->inputs.size() == 1)
        return value(from, from->inputs.first().name, depth + 1);
    return QString();
}

// A text input of an encoder: its value, or the text of the node linked to it.
QString ComfyGraph::text(const Input *input, int depth) const
{
    if (!input || depth > kMaxDepth)
        return QString();
    if (!input->isLink())
        return input->value.isString() ? input->value.toString() : QString();
    const Node *from = origin(input);
    if (!from)
        return QString();
    for (const QString &name :
        { input->name, QStringLiteral("text"), QStringLiteral("string"), QStringLiteral("value") }) {
        if (const Input *in = from->input(name))
            return text(in, depth + 1);
    }
    return from->inputs.size() == 1 ? text(&from->inputs.first(), depth + 1) : QString();
}

QString ComfyGraph::conditioningText(const Input *input, QSet<QString> &visited, int depth) const
{
    const Node *node = origin(input);
    if (!node || depth > kMaxConditioningDepth || visited.contains(node->id))
        return QString();
    visited.insert(node->id);

    // A text encoder: its texts (SDXL and Flux encoders have two).
    QStringList texts;
    for (const QString &name : kEncoderTexts) {
        const QString t = text(node->input(name));
        if (!t.isEmpty() && !texts.contains(t))
            texts.append(t);
    }
    if (!texts.isEmpty() || node->type.contains(QLatin1String("TextEncode"), Qt::CaseInsensitive))
        return texts.join(u'\n');

    // A node passing both on (a ControlNet, inpainting): the output says which.
    const Input *positive = node->input(QStringLiteral("positive"));
    const Input *negative = node->input(QStringLiteral("negative"));
    if (positive || negative)
        return conditioningText(input->slot == 1 ? negative : positive, visited, depth + 1);

    // A node combining or adjusting conditioning, or a reroute: whatever it takes in.
    int links = 0;
    for (const Input &in : node->inputs)
        links += in.isLink() ? 1 : 0;
    for (const Input &in : node->inputs) {
        if (!in.isLink() || (links > 1 && !in.name.startsWith(QLatin1String("conditioning"))))
            continue;
        const QString t = conditioningText(&in, visited, depth + 1);
        if (!t.isEmpty() && !texts.contains(t))
            texts.append(t);
    }
    return texts.join(u'\n');
}

QString ComfyGraph::modelName(const Input *input, QStringList *loras, int depth) const
{
    const Node *node = origin(input);
    if (!node || depth > kMaxDepth)
        return QString();
    for (const char *name : { "ckpt_name", "unet_name", "model_name", "model_path" }) {
        const QString v = value(node, QString::fromLatin1(name));
        if (!v.isEmpty())
            return v;
    }
    const QString lora = value(node, QStringLiteral("lora_name"));
    if (!lora.isEmpty()) {
        const QString strength = value(node, QStringLiteral("strength_model"));
        const QString named = strength.isEmpty() ? lora : QStringLiteral("%1 (%2)").arg(lora, strength);
        if (!loras->contains(named))
            loras->append(named);
    }
    if (const Input *model = node->input(QStringLiteral("model")))
        return modelName(model, loras, depth + 1);
    const auto linked
        = std::find_if(node->inputs.begin(), node->inputs.end(), [](const Input &i) { return i.isLink(); });
    const bool single = linked != node->inputs.end()
        && std::none_of(linked + 1, node->inputs.end(), [](const Input &i) { return i.isLink(); });
    return single ? modelName(&*linked, loras, depth + 1) : QString();
}

QString ComfyGraph::latentSize(const Input *input, int depth) const
{
    const Node *node = origin(input);
    if (!node || depth > kMaxDepth)
        return QString();
    const QString width = value(node, QStringLiteral("width")), height = value(node, QStringLiteral("height"));
    if (!width.isEmpty() && !height.isEmpty())
        return width + u'x' + height;
    for (const char *name : { "samples", "latent", "latent_image" }) {
        if (const Input *in = node->input(QString::fromLatin1(name)); in && in->isLink())
            return latentSize(in, depth + 1);
    }
    return QString();
}

GenerationRecord ComfyGraph::record(const Node &sampler) const
{
    GenerationRecord r;
    r.generator = QStringLiteral("ComfyUI");
    r.node = sampler.id + u' ' + sampler.type;
    // Custom sampling takes its settings from the nodes feeding it.
    const Node *guider = origin(sampler.input(QStringLiteral("guider")));
    const Node *sigmas = origin(sampler.input(QStringLiteral("sigmas")));
    const Node *chooser = origin(sampler.input(QStringLiteral("sampler")));
    const Node *noise = origin(sampler.input(QStringLiteral("noise")));
    const Node &conditioned = guider ? *guider : sampler;
    QSet<QString> visited;
    const Input *positive = conditioned.input(QStringLiteral("positive"));
    r.prompt = conditioningText(positive ? positive : conditioned.input(QStringLiteral("conditioning")), visited);
    visited.clear();
    r.negativePrompt = conditioningText(conditioned.input(QStringLiteral("negative")), visited);
    auto first = [](std::initializer_list<QString> values) {
        for (const QString &v : values) {
            if (!v.isEmpty())
                return v;
        }
        return QString();
    };
    r.seed = first({ value(&sampler, QStringLiteral("seed")), value(&sampler, QStringLiteral("noise_seed")),
        value(noise, QStringLiteral("noise_seed")) });
    r.steps = first({ value(&sampler, QStringLiteral("steps")), value(sigmas, QStringLiteral("steps")) });
    r.cfgScale = first({ value(&sampler, QStringLiteral("cfg")), value(guider, QStringLiteral("cfg")) });
    r.sampler
        = first({ value(&sampler, QStringLiteral("sampler_name")), value(chooser, QStringLiteral("sampler_name")) });
    r.scheduler = first({ value(&sampler, QStringLiteral("scheduler")), value(sigmas, QStringLiteral("scheduler")) });
    QStringList loras;
    for (const Node *n : { &sampler, guider, sigmas }) {
        if (n && n->input(QStringLiteral("model"))) {
            r.model = modelName(n->input(QStringLiteral("model")), &loras);
            break;
        }
    }
    r.size = latentSize(sampler.input(QStringLiteral("latent_image")));

    static const QStringList shown { QStringLiteral("seed"), QStringLiteral("noise_seed"), QStringLiteral("steps"),
        QStringLiteral("cfg"), QStringLiteral("sampler_name"), QStringLiteral("scheduler") };
    for (const Input &in : sampler.inputs) {
        if (!in.isLink() && !shown.contains(in.name) && !in.value.isNull() && !in.value.isUndefined())
            r.extras.append({ in.name, jsonText(in.value) });
    }
    if (!loras.isEmpty())
        r.extras.append({ QStringLiteral("LoRAs"), loras.join(QStringLiteral("; ")) });
    return r;
}

QList<GenerationRecord> ComfyGraph::records() const
{
    QList<GenerationRecord> result;
    for (const QString &id : m_order) {
        const Node &node = *m_nodes.constFind(id);
        const bool conditioned = node.input(QStringLiteral("positive")) || node.input(QStringLiteral("negative"))
            || node.input(QStringLiteral("guider"));
        if (node.active && conditioned && node.input(QStringLiteral("latent_image")))
            result.append(record(node));
    }
    return result;
}
