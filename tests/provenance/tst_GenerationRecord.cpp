#include "TestSupport.h"

#include "provenance/GenerationRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace TestSupport;

namespace {

// "label=value; …" per record.
QStringList describe(const QList<GenerationRecord> &records)
{
    QStringList result;
    for (const GenerationRecord &r : records) {
        QStringList parts;
        for (const auto &[label, value] : r.labelledFields())
            parts << label + u'=' + value;
        result << parts.join(QStringLiteral("; "));
    }
    return result;
}

const QString kA1111 = QStringLiteral(
    "Generator=Stable Diffusion web UI v1.9.3; Entry=parameters; Prompt=masterpiece, a lighthouse on a cliff,\n"
    "(dusk:1.2), dramatic sky; Negative prompt=blurry, low quality,\nwatermark; Seed=3141592653; Steps=28; "
    "Sampler=DPM++ 2M; Scheduler=Karras; CFG scale=6.5; Model=sd_xl_base_1.0; Model hash=31e35c80fc; Size=832x1216; "
    "Lora hashes=detail: a1b2c3d4e5f6, light: 0f9e8d7c6b5a; Clip skip=2");
const QStringList kComfyApi {
    "Generator=ComfyUI; Entry=prompt; Node=3 KSampler; Prompt=a lighthouse on a cliff at dusk\ndramatic clouds; "
    "Negative prompt=blurry, low quality; Seed=156680208700286; Steps=30; Sampler=euler_ancestral; Scheduler=karras; "
    "CFG scale=6.5; Model=sd_xl_base_1.0.safetensors; Size=1024x768; denoise=1; LoRAs=detail.safetensors (0.8)",
    "Generator=ComfyUI; Entry=prompt; Node=20 KSamplerAdvanced; Prompt=a lighthouse on a cliff at dusk; Negative "
    "prompt=blurry, low quality; Seed=42; Steps=30; Sampler=dpmpp_2m; Scheduler=normal; CFG scale=6.5; "
    "Model=sd_xl_refiner_1.0.safetensors; Size=1024x768; add_noise=disable; end_at_step=10000; "
    "return_with_leftover_noise=disable; start_at_step=25",
};

} // namespace

// Generation records of each generator's entries, from the fixtures made after the public
// descriptions of the formats.
class tst_GenerationRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void records_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("A1111 parameters, a quoted setting holding commas")
            << u"provenance/a1111.png"_qs << QStringList { kA1111 };
        QTest::newRow("ComfyUI API graph: ControlNet, combined prompts, LoRA, refiner (the editor graph unused)")
            << u"provenance/comfyui.png"_qs << kComfyApi;
        QTest::newRow("ComfyUI editor graph: reroute, seed from a primitive, muted sampler")
            << u"provenance/comfyui-workflow.png"_qs
            << QStringList {
                   "Generator=ComfyUI; Entry=workflow; Node=3 KSampler; Prompt=beautiful scenery, glass bottle "
                   "with a galaxy inside; Negative prompt=text, watermark; Seed=1234567890123; Steps=20; "
                   "Sampler=euler; Scheduler=normal; CFG scale=8; Model=v1-5-pruned-emaonly.safetensors; "
                   "Size=512x640; denoise=1"
               };
        QTest::newRow("NovelAI Comment with Software and Source")
            << u"provenance/novelai.png"_qs
            << QStringList {
                   "Generator=NovelAI; Entry=Comment; Prompt=1girl, reading in a library, soft light; Negative "
                   "prompt=lowres, bad anatomy, bad hands; Seed=2717040125; Steps=28; Sampler=k_euler_ancestral; "
                   "Scheduler=karras; CFG scale=5; Model=NovelAI Diffusion V4.5; Model hash=4BDE2A90; "
                   "Size=832x1216; cfg_rescale=0; n_samples=1; request_type=PromptGenerateRequest; "
                   "signed_hash=c2lnbmVkIGJ5IHRoZSB0ZXN0IGZpeHR1cmU=; sm=false; sm_dyn=false; uncond_scale=1"
               };
        QTest::newRow("NovelAI version 4: captions for the characters")
            << u"provenance/novelai-v4.png"_qs
            << QStringList { "Generator=NovelAI; Entry=Comment; Prompt=two cats on a sofa\na black cat\na white cat; "
                             "Negative prompt=blurry; Seed=1077551930; Steps=23; Sampler=k_euler_ancestral; "
                             "Scheduler=karras; CFG scale=6; Model=NovelAI Diffusion V4 Curated; Model hash=7ABFFA2A; "
                             "Size=1216x832; request_type=PromptGenerateRequest" };
        QTest::newRow("InvokeAI") << u"provenance/invokeai.png"_qs
                                  << QStringList {
                                         "Generator=InvokeAI 4.2.4; Entry=invokeai_metadata; Prompt=a red fox in "
                                         "fresh snow, golden hour; Negative prompt=cartoon; Seed=4006111830; "
                                         "Steps=30; Scheduler=dpmpp_2m_k; CFG scale=7.5; Model=Juggernaut XL v9; "
                                         "Model hash=blake3:9b1c0f7e2d; Size=768x512; "
                                         "cfg_rescale_multiplier=0; generation_mode=txt2img; rand_device=cpu"
                                     };
        QTest::newRow("zTXt parameters and a compressed iTXt graph")
            << u"provenance/compressed-prompts.png"_qs << QStringList { kA1111 } + kComfyApi;
        QTest::newRow("malformed or foreign JSON, plain Comment, empty parameters")
            << u"provenance/damaged-json.png"_qs << QStringList {};
    }
    void records()
    {
        QFETCH(QString, file);
        QTEST(describe(GenerationRecord::fromEntries(LoadedPng::fixture(file).comments)), "records");
    }

    // A graph of some 200 KB: a chain of 300 combined prompts, and cycles where the prompt,
    // the model, the seed and the latent image are traced.
    void largeGraphWithCycles()
    {
        QJsonObject graph;
        auto node = [&](const QString &id, const char *type, const QJsonObject &inputs) {
            graph.insert(id, QJsonObject { { "class_type", type }, { "inputs", inputs } });
        };
        auto link = [](const QString &id, int slot = 0) { return QJsonArray { id, slot }; };
        const int parts = 300;
        for (int i = 0; i < parts; ++i)
            node(u"t%1"_qs.arg(i), "CLIPTextEncode",
                { { "text", u"part %1 of a long prompt, "_qs.arg(i).repeated(24).trimmed() }, { "clip", link("x") } });
        node("c1", "ConditioningCombine", { { "conditioning_1", link("t0") }, { "conditioning_2", link("t1") } });
        for (int i = 2; i < parts; ++i)
            node(u"c%1"_qs.arg(i), "ConditioningCombine",
                { { "conditioning_1", link(u"c%1"_qs.arg(i - 1)) }, { "conditioning_2", link(u"t%1"_qs.arg(i)) } });
        node("loopA", "ConditioningCombine", { { "conditioning_1", link("loopB") }, { "conditioning_2", link("t0") } });
        node("loopB", "ConditioningZeroOut", { { "conditioning", link("loopA") } });
        node("m1", "LoraLoader", { { "lora_name", "a" }, { "model", link("m2") } });
        node("m2", "ModelSamplingDiscrete", { { "model", link("m1") } });
        node("p1", "Seed", { { "seed", link("p2") } });
        node("p2", "Seed", { { "seed", link("p1") } });
        node("l1", "LatentUpscaleBy", { { "samples", link("l2") } });
        node("l2", "LatentUpscaleBy", { { "samples", link("l1") } });
        node("s", "KSampler",
            { { "seed", link("p1") }, { "positive", link(u"c%1"_qs.arg(parts - 1)) }, { "negative", link("loopA") },
                { "model", link("m1") }, { "latent_image", link("l1") }, { "steps", 20 } });
        const QByteArray json = QJsonDocument(graph).toJson(QJsonDocument::Compact);
        QVERIFY2(json.size() > 200000, QByteArray::number(json.size()));

        const QList<GenerationRecord> records
            = GenerationRecord::fromEntries({ makeComment("prompt", QString::fromUtf8(json)) });
        QCOMPARE(records.size(), 1);
        const GenerationRecord &r = records.first();
        QCOMPARE(r.prompt.count(u'\n'), parts - 1);
        QVERIFY(r.prompt.startsWith(u"part 0 of") && r.prompt.endsWith(u"part 299 of a long prompt,"));
        QVERIFY(r.negativePrompt.startsWith(u"part 0 of"));
        QCOMPARE(QStringList({ r.seed, r.model, r.size, r.steps }), QStringList({ {}, {}, {}, u"20"_qs }));
    }
};

QTEST_GUILESS_MAIN(tst_GenerationRecord)
#include "tst_GenerationRecord.moc"
