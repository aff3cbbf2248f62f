#pragma once

#include "provenance/GenerationRecord.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// A ComfyUI node graph in either of its stored forms, reduced to what a generation record
// needs: nodes with their inputs, each either a value or a link to another node's output.
//
//   API form ("prompt" entry):   {"3": {"class_type": "KSampler", "inputs": {"seed": 5,
//                                 "positive": ["6", 0], …}}, …}
//   editor form ("workflow"):    {"nodes": [{"id": 3, "type": "KSampler", "inputs": [{"name":
//                                 "positive", "link": 4}], "widgets_values": [5, "fixed", …]}],
//                                 "links": [[4, 6, 0, 3, 1, "CONDITIONING"], …]}
// The editor form keeps widget values by position; the names of the common nodes' widgets
// are known here, other nodes' values get no name.
//
// Every link is followed with a bound on the depth and, where a trace branches, with the
// nodes already visited left alone: a graph with cycles is read like any other.
class ComfyGraph
{
public:
    // False when the JSON is not a graph of that form (no node in it).
    static bool fromApi(const QJsonObject &json, ComfyGraph *graph);
    static bool fromWorkflow(const QJsonObject &json, ComfyGraph *graph);

    // One record per sampler that ran (a node taking a latent image and positive and
    // negative conditioning, or a guider), in node order: its prompts found by following
    // the positive and negative inputs to the text encoders, through any nodes between.
    QList<GenerationRecord> records() const;

private:
    struct Input
    {
        QString name;
        QString from; // the node linked to; empty for a value
        int slot = 0; // that node's output
        QJsonValue value;
        bool isLink() const { return !from.isEmpty(); }
    };
    struct Node
    {
        QString id;
        QString type;
        QList<Input> inputs;
        bool active = true; // not muted or bypassed
        const Input *input(const QString &name) const;
    };

    void add(Node node);
    const Node *origin(const Input *input) const;
    QString value(const Node *node, const QString &name, int depth = 0) const;
    QString text(const Input *input, int depth = 0) const;
    QString conditioningText(const Input *input, QSet<QString> &visited, int depth = 0) const;
    QString modelName(const Input *input, QStringList *loras, int depth = 0) const;
    QString latentSize(const Input *input, int depth = 0) const;
    GenerationRecord record(const Node &sampler) const;

    QHash<QString, Node> m_nodes;
    QStringList m_order;
};
