// The example projects that ship beside the program (Examples/), and how Help > Examples
// opens one: the example is copied into the default project folder first, so that its
// build writes into a folder of the user's and the shipped copy stays as it is.
#pragma once

#include <QString>
#include <QStringList>

// The examples' folders under Examples/, in menu order: Help > Examples item i has the
// command ID_HELP_EXAMPLE_1 + i.
const QStringList& ExampleProjects();

// The shipped examples: Examples/ beside the program.
QString ExamplesFolder(const QString& programDir);

// Copies examplesDir/folder to targetRoot/folder, unless that folder exists already (it
// is then the user's copy, kept with every change made to it), and returns the path of
// the project file (.hpr) in the copy. Returns an empty string and sets error when the
// example is missing or cannot be copied; a copy that failed halfway is removed.
QString PrepareExample(const QString& examplesDir, const QString& folder, const QString& targetRoot,
                       QString& error);
