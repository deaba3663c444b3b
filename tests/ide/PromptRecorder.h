// A prompt for tests: records every message box and file dialog and answers from
// queues prepared by the test, so that no test ever waits for a user. While one
// exists it is the program's prompt.
#pragma once

#include "Prompt.h"

#include <QList>
#include <QString>
#include <QStringList>

class CPromptRecorder : public IPrompt
{
public:
    struct Box
    {
        QString text;
        QString caption;
        unsigned type = 0;
        int answer = 0;
    };
    struct FileDialog
    {
        bool save = false;
        QString caption;
        QString dir; // the folder, or the suggested name of a save dialog
        QString filter;
        bool multiSelect = false;
    };

    CPromptRecorder() : m_pPrevious(&Prompt()) { SetPrompt(this); }
    ~CPromptRecorder() override { SetPrompt(m_pPrevious); }
    CPromptRecorder(const CPromptRecorder&) = delete;
    CPromptRecorder& operator=(const CPromptRecorder&) = delete;

    // Answers for the next boxes, in order; once used up, boxes get their default button.
    void QueueAnswer(int answer) { m_answers.append(answer); }
    // Results of the next open dialogs (an empty list cancels).
    void QueueOpenFiles(const QStringList& files) { m_openResults.append(files); }
    // Results of the next save dialogs (an empty text cancels).
    void QueueSaveFile(const QString& file) { m_saveResults.append(file); }

    const QList<Box>& Boxes() const { return m_boxes; }
    const QList<FileDialog>& FileDialogs() const { return m_dialogs; }
    // The texts of all boxes shown so far.
    QStringList Texts() const
    {
        QStringList texts;
        for (const Box& box : m_boxes) {
            texts.append(box.text);
        }
        return texts;
    }
    void Clear()
    {
        m_boxes.clear();
        m_dialogs.clear();
    }

    int MessageBox(const QString& text, const QString& caption, unsigned type) override
    {
        const int answer = m_answers.isEmpty() ? DefaultAnswer(type) : m_answers.takeFirst();
        m_boxes.append({text, caption, type, answer});
        return answer;
    }
    QStringList GetOpenFileNames(const QString& caption, const QString& dir, const QString& filter,
                                 bool multiSelect) override
    {
        m_dialogs.append({false, caption, dir, filter, multiSelect});
        return m_openResults.isEmpty() ? QStringList() : m_openResults.takeFirst();
    }
    QString GetSaveFileName(const QString& caption, const QString& suggested,
                            const QString& filter) override
    {
        m_dialogs.append({true, caption, suggested, filter, false});
        return m_saveResults.isEmpty() ? QString() : m_saveResults.takeFirst();
    }

private:
    IPrompt* m_pPrevious;
    QList<int> m_answers;
    QList<QStringList> m_openResults;
    QStringList m_saveResults;
    QList<Box> m_boxes;
    QList<FileDialog> m_dialogs;
};
