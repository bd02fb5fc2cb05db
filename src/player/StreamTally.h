#pragma once

// Counts the streams the engine announces before the video starts. The engine lists all
// audio streams, then all subtitle streams; an audio line after the first subtitle line is
// not one of the file's selectable audio streams, so it is not counted.
class StreamTally
{
public:
    void OnPlaying() { audio = subtitles = 0; }
    void OnAudioStream()
    {
        if (subtitles == 0)
            ++audio;
    }
    void OnSubtitleStream() { ++subtitles; }

    int AudioCount() const { return audio; }
    int SubtitleCount() const { return subtitles; }

    // A stream menu is rebuilt only when its entries (one "Disable" plus one per stream) do
    // not fit the count, so a next file with the same streams keeps the user's check marks.
    static bool MenuNeedsRebuild(int streamCount, int menuEntryCount)
    {
        return streamCount > 0 && menuEntryCount != streamCount + 1;
    }

private:
    int audio = 0;
    int subtitles = 0;
};
