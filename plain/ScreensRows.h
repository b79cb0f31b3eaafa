// Screens, rows: what each screen writes into the thirteen menu rows and what a click on them does.
#pragma once

// Fills and hit-tests the rows of the live screen against the pointer (px, py) in the drawing
// plane, and acts on a left click.
void FillScreenRows(float px, float py);
