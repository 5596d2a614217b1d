// The three shapes of the demo's mesh scene, each built from parameters whose counts are tuned so
// that the finished meshes have exactly the triangle, position and normal counts the program's
// arrays hold.
//
// Retuning: the triangle count follows from the positions and the parts' topology. Summed over
// the parts, 2 * positions - triangles = open boundary points + 2 * Euler characteristic: a
// closed part without holes adds 4, a ring (nut, washer, wheel) 0, a part with one hidden open
// end 2 + its open ring's points. The meshes need 27 (bolt: head 4, shank 2 + 21), 96 (skateboard:
// 17 closed parts, two kingpins 2 + 12 each, rings 0) and 88 (card stack: 22 closed parts).
// Normals are one per point per smoothing group, so crease rings and hex corners set how many
// there are beyond the positions.
#ifndef VESKOP_MESHGEN_SHAPES_H
#define VESKOP_MESHGEN_SHAPES_H

#include "mesh_builder.h"

namespace meshgen {

// MeshA: a fully threaded hex bolt with a washer and a hex nut, along x, head at -x.
struct BoltParams {
    int headFlatColumns = 9;  // columns per flat of the head
    int nutFlatColumns = 8;   // columns per flat of the nut
    int headTopRings = 1;     // rings of the flat top face of the head, besides its centre
    int threadColumns = 17;   // columns around the threaded shank
    int threadRowsPerPitch = 4;
    int threadRows = 84;      // rows of the helical grid: threadRowsPerPitch per turn
    int washerColumns = 40;
    int washerRimRows = 5;    // rings across the washer's rounded outer rim, between its faces
};
void BuildBolt(MeshBuilder& mesh, const BoltParams& params);

// MeshB: a skateboard: deck with kicktails, two trucks, four wheels, eight mounting bolts.
struct SkateboardParams {
    int deckCornerPoints = 16;        // outline points per rounded end quarter of the deck
    double deckEdgeSpacing = 0.02898; // model units between outline points along the deck's sides
    int deckRings = 6;                // rings of the deck's top (and bottom) face, its edge ring included
    int deckRimRows = 3;              // rings round the deck's rounded rim, between the faces
    bool deckCreasedEdges = true;     // the rim meets the faces at an edge
    int boltColumns = 12;
    int boltDomeRows = 2;
    int plateCornerPoints = 3;
    int hangerRows = 11;
    int bushingColumns = 15;
    int bushingRows = 3;
    int axleColumns = 12;
    int axleNutFlatColumns = 2;
    int speedRingColumns = 20;
    int wheelColumns = 38;
    int wheelLipRows = 2;
    int wheelTreadRows = 1;
    int kingpinColumns = 12;          // its open end is part of what fixes the mesh's counts
};
void BuildSkateboard(MeshBuilder& mesh, const SkateboardParams& params);

// MeshC: nineteen cards between two round end plates, threaded on a rod with ball ends, turning
// half a turn along it.
struct CardStackParams {
    int cardCount = 21;            // end plates included
    int cornerPoints = 12;         // outline points per rounded corner of a card
    double edgeSpacing = 0.00957;  // model units between outline points along a straight edge
    int plateColumns = 24;         // outline points of an end plate
    int rodColumns = 21;
    int ballRows = 4;              // rings of each ball end, besides its pole
};
void BuildCardStack(MeshBuilder& mesh, const CardStackParams& params);

}  // namespace meshgen

#endif
