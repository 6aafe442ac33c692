#pragma once

// Scheduling of the calling thread for a position 0..6 of the priority track bar:
// 0 idle; 1, 2 nice +10, +5; 3 unchanged; 4, 5, 6 nice -5, -10, -20 where allowed (silently
// unchanged where not).
void ApplyThreadPriority(int position);

struct TThreadSchedule {
    bool Idle = false; // SCHED_IDLE
    int Nice = 0;
};
// How the calling thread is scheduled now.
TThreadSchedule CurrentThreadSchedule();
