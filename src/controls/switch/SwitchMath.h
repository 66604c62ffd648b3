#pragma once

// The switch's rules apart from any drawing or input: where the thumb may go,
// which state a gesture ends in, and how long the thumb takes to get home.
// The thumb is a square as long as the box is high; it travels width - length.
namespace SwitchMath {

// The state a gesture leaves: a click toggles, wherever it was made; a drag
// turns the switch on exactly when the thumb's centre, following the pointer
// and not held inside the box, is at or right of the box's middle.
bool StateAtRelease(bool checked, bool dragged, float releaseX, float grabOffset, float thumbLength,
                    float width);

// Whether the pointer's move from the last counted place is a movement of the
// thumb. A finger's first few pixels are jitter, a mouse's are intent.
bool CountsAsMovement(bool touch, float x, float y, float lastX, float lastY);

// The thumb's left edge kept inside the box.
float HoldInside(float left, float thumbLength, float width);

// Milliseconds for the thumb to go a distance at the speed of a full traverse
// in 200 ms.
int SlideMilliseconds(float distance, float travel);

// Whether the track shows its "on" picture for the thumb at this place.
bool TrackShowsOn(float thumbLeft, float thumbLength, float width);

}  // namespace SwitchMath
