#pragma once
#include "view/CWindowRect.h"

// The edge or corner the user drags.
enum class SizingEdge { Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

// Keeps a dragged window rectangle at least minWidth by minHeight: the dragged side
// gives way and the opposite side stays where it is. A minimum of 0 means no limit.
CWindowRect ApplyMinimumSize(CWindowRect proposed, SizingEdge edge, int minWidth, int minHeight);
