#pragma once

// Scheduling of the calling thread for a position 0..6 of the priority track bar:
// 0 idle; 1, 2 nice +10, +5; 3 unchanged; 4, 5, 6 nice -5, -10, -20. The steps count from the
// process's own nice value, bounded to -20..19; a raise goes as far as the system allows,
// silently.
void ApplyThreadPriority(int position);
