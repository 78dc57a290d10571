#pragma once

// File: platform/testing/fake_ui.h
// A Ui for tests: records every message box and question, and answers
// questions from a script. When the script runs dry, a question is answered
// as a dismissed dialog would be (Cancel, else No, else Ok) and counted in
// unscriptedQuestions(). Thread-safe, so worker threads may report through it.
//
//     platform::testing::FakeUi ui;
//     ui.pushAnswer(platform::Answer::Yes);
//     settings.deleteSelected(ui);
//     EXPECT_EQ(ui.lastText(), "선택된 2개의 설정을 삭제하시겠습니까?");

#include "platform/ui.h"

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::testing {

class FakeUi final : public Ui {
public:
    struct Call {
        bool isQuestion = false;
        std::string title;
        std::string text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer answer = Answer::Ok; // What a question was answered.
        std::optional<Answer> defaultAnswer; // When the question named one.
    };

    using Ui::question;
    void messageBox(std::string_view title, std::string_view text, Icon icon) override;
    Answer question(std::string_view title, std::string_view text, Buttons buttons, Icon icon) override;
    Answer question(std::string_view title, std::string_view text, Buttons buttons, Icon icon,
        Answer defaultAnswer) override;

    void pushAnswer(Answer answer);
    std::vector<Call> calls() const;
    std::size_t callCount() const;
    // The text of the last call, or "" when there was none.
    std::string lastText() const;
    std::size_t unscriptedQuestions() const;
    void clear();

private:
    Answer ask(std::string_view title, std::string_view text, Buttons buttons, Icon icon,
        std::optional<Answer> defaultAnswer);

    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
    std::deque<Answer> m_script;
    std::size_t m_unscripted = 0;
};

} // namespace platform::testing
