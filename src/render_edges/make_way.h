// Making way: a few routes planned earlier step aside for an edge they
// wall off from its facing ports (members of `EdgePlanner`).
#ifndef VANTRI_RENDER_EDGES_MAKE_WAY_H_
#define VANTRI_RENDER_EDGES_MAKE_WAY_H_

#include "render_edges/edge_planner.h"

#endif  // VANTRI_RENDER_EDGES_MAKE_WAY_H_
