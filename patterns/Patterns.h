// The pattern renderers in one include, the way afxwin.h gathers the framework.
#pragma once
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"
#include "patterns/OrbitPatterns.h"
#include "patterns/DotPatterns.h"
#include "patterns/GridPatterns.h"
#include "patterns/StarPatterns.h"
#include "patterns/SinkingPatterns.h"
#include "patterns/SwarmCometPatterns.h"
#include "patterns/LatticePatterns.h"
#include "patterns/BubblePattern.h"
#include "patterns/FlyerPattern.h"
