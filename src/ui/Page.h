#pragma once

// The pages of the window's central area, in the order the page stack holds them.
enum class Page : int
{
    Start = 0,
    Disc = 1,
    Video = 2,
};
