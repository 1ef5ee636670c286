#include "platform/os/recording_reporter.h"

int CZNRecordingReporter::Message(const std::string &text, const std::string &caption, unsigned type)
{
    m_Entries.push_back({text, caption, type});
    if (m_Answers.empty())
        return DefaultAnswer(type);
    int answer = m_Answers.front();
    m_Answers.pop_front();
    return answer;
}
