#pragma once

// Paces the seek slider by the position answers: the answers come every 500 ms, and moving
// the slider on each of them would fight a user who is dragging it, so only every fifth
// answer (about every 2.5 s) moves it. The count starts again at each launch.
class AnswerPacer
{
public:
    static constexpr int AnswersPerSliderUpdate = 5;

    // Counts one answer; true when this answer should move the slider.
    bool CountAnswer()
    {
        if (++count < AnswersPerSliderUpdate)
            return false;
        count = 0;
        return true;
    }

    void Reset() { count = 0; }
    int Count() const { return count; }

private:
    int count = 0;
};
