#pragma once

// A reporter for tests: keeps every message and answers from a queue of scripted answers
// (the default button once the queue is empty).
#include <deque>
#include <string>
#include <vector>

#include "platform/os/reporter.h"

class ZN_API CZNRecordingReporter : public IZNReporter
{
public:
    struct Entry {
        std::string text;
        std::string caption;
        unsigned type;
    };

    int Message(const std::string &text, const std::string &caption, unsigned type) override;
    void ShowMissingResources(const std::vector<std::string> &names) override { m_MissingResources.push_back(names); }

    void QueueAnswer(int answer) { m_Answers.push_back(answer); }
    const std::vector<Entry> &Entries() const { return m_Entries; }
    // Each Missing Resources report, with its names in order.
    const std::vector<std::vector<std::string>> &MissingResources() const { return m_MissingResources; }
    void Clear()
    {
        m_Entries.clear();
        m_Answers.clear();
        m_MissingResources.clear();
    }

private:
    std::vector<Entry> m_Entries;
    std::deque<int> m_Answers;
    std::vector<std::vector<std::string>> m_MissingResources;
};
