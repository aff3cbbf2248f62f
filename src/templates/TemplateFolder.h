#pragma once

#include "templates/Template.h"

#include <QByteArray>
#include <QStringList>

// Reading the templates of a folder, for the template editor and the command line alike.

// Every template of the folder and its sub-folders (to a depth of 16), in the order the
// folder is walked (names compared ignoring case). A missing folder is created and seeded
// with the shipped "Standards" template first. Entries that do not read as templates
// (folders, unreadable or non-XML files), hidden entries (an interrupted save's temporary
// file) and linked folders are skipped.
TemplateList loadTemplateFolder(const QString &directory);

// The shipped "Standards" template file.
QByteArray standardsTemplateContents();

// The first template whose name equals name exactly, or nullptr.
TemplatePtr templateWithName(const TemplateList &templates, const QString &name);
// One title per template (its name), in list order: what fills a template menu.
QStringList templateNames(const TemplateList &templates);
