#pragma once

#include "core/PNGComment.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>

// The settings an image generator stored with its picture, as one record per sampler run:
// who made it, the prompts, seed, steps, sampler, CFG scale, model and size, and every other
// setting as a key/value pair. Values are text as the generator wrote them (a seed keeps
// all its digits); a field the entry does not give is empty.
//
// Recognised entries (by keyword):
//   parameters         A1111-style text: prompt, "Negative prompt: …", "Steps: 20, Sampler: …"
//   prompt             ComfyUI's API graph (JSON): one record per sampler node
//   workflow           ComfyUI's editor graph (JSON), used when no "prompt" graph gave a record
//   Comment            NovelAI's settings (JSON), with Description, Software and Source
//   invokeai_metadata  InvokeAI's settings (JSON)
// A text that is not in the form its keyword promises (malformed or unknown JSON, say) gives
// no record; it is never an error.
struct GenerationRecord
{
    QString generator; // "ComfyUI", "NovelAI", "InvokeAI 4.2.0", "Stable Diffusion web UI v1.9.3"
    QString keyword; // the entry the record was read from
    QString node; // for graphs: the sampler node ("3 KSampler")
    QString prompt;
    QString negativePrompt;
    QString seed;
    QString steps;
    QString sampler;
    QString scheduler;
    QString cfgScale;
    QString model;
    QString modelHash;
    QString size; // "512x768"
    QList<QPair<QString, QString>> extras;

    bool operator==(const GenerationRecord &) const = default;

    // The labelled fields that are set, in the order above ("Prompt", "Seed", …), then the
    // extras.
    QList<QPair<QString, QString>> labelledFields() const;
    // {"generator": …, "keyword": …, "prompt": …, …, "extra": {…}}; unset fields left out.
    QJsonObject toJson() const;

    // The records of the entries of one file, in entry order.
    static QList<GenerationRecord> fromEntries(const CommentList &entries);
    // The text a JSON value gives a field: a string as it is, a number with all its digits,
    // true or false, an array or object as compact JSON; empty for null.
    static QString jsonText(const QJsonValue &value);
    // Whether an entry of this keyword can hold generation settings (for finding them fast).
    static bool isGenerationKeyword(const QString &keyword);
};
