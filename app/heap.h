#pragma once

/// Sets the heap up for a program that runs for weeks: all threads share
/// one heap arena. The media backend starts and ends many short-lived
/// threads (every clip loaded gets its own); with an arena per thread the
/// memory they free stays scattered over many arenas and the resident size
/// creeps up with every lesson switch. Large blocks (the clips held in
/// memory) get pages of their own. Call first thing in main, before any
/// thread exists.
void configureHeap();
