#pragma once

#include "engine/EngineEvent.h"

#include <QHash>

// Whether each audio stream the engine opened sounds here, from what the engine said when it
// opened it. The engine reports a stream's decoder and sound output, or that it found no
// decoder ("Audio: no sound" at the start, only "ADecoder init failed" after a switch), only
// for the stream it opens; a stream it never opened stays Unknown. A refusal counts until a
// decoder takes the stream after all. GUI-free: fed the session's events.
//
// Entries are numbered as the audio menus number them, from 1.
class AudioPlayability
{
public:
    enum class Verdict
    {
        Unknown,
        Plays,
        // No decoder took it, or only a pass-through one, which hands compressed bits to a
        // PCM sound output: silence, or the engine gives up on the whole title.
        CannotPlay,
    };

    // The engine is told to open this entry next (a launch opens entry 1 unless told
    // otherwise); what it says from now on is about that entry.
    void Open(int entry);
    // Takes one engine event; events of no concern are ignored. "Playing" starts a new run
    // that opens the entry Open named last. True when the open entry's verdict changed.
    bool Add(const EngineEvent &event);
    // The entry the engine opened last.
    int OpenEntry() const { return current; }

    Verdict Of(int entry) const;
    // The sound output's channel count while this entry played, 0 when not known.
    int OutputChannels(int entry) const;

private:
    struct Report
    {
        bool noSound = false;
        bool refused = false;     // a decoder refused it; another may still take it
        bool decoded = false;     // a decoder that outputs PCM took the stream
        bool passThrough = false; // only a pass-through decoder took it
        int outputChannels = 0;
    };
    static Verdict Decide(const Report &report);

    int current = 1;
    QHash<int, Report> reports;
};
