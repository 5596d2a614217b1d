#include "hex.h"

#include <cmath>

namespace meshgen {

double HexShape::Radius(double angle) const {
    double sector = std::floor(angle / (Pi / 3));
    double fromMiddle = angle - (sector * (Pi / 3) + Pi / 6);
    return flat / Cos(fromMiddle);
}

double HexShape::ChamferDepth(double angle) const { return (Radius(angle) - chamferRadius) * (Sin(Pi / 6) / Cos(Pi / 6)); }

void AddHexNut(MeshBuilder& mesh, const Frame& frame, double from, double to, const HexShape& hex, double bore,
               int flatColumns) {
    const int columns = 6 * flatColumns;
    int faceIn = mesh.NewGroup(), coneIn = mesh.NewGroup(), coneOut = mesh.NewGroup();
    int faceOut = mesh.NewGroup(), boreGroup = mesh.NewGroup();
    int flats[6];
    for (int& f : flats) f = mesh.NewGroup();
    RingGrid grid;
    grid.rows = 6;
    grid.columns = columns;
    grid.wrapRows = true;
    grid.point = [=](int row, int column) {
        double angle = 2 * Pi * column / columns;
        switch (row) {
            case 0: return frame.At(from, bore, angle);
            case 1: return frame.At(from, hex.chamferRadius, angle);
            case 2: return frame.At(from + hex.ChamferDepth(angle), hex.Radius(angle), angle);
            case 3: return frame.At(to - hex.ChamferDepth(angle), hex.Radius(angle), angle);
            case 4: return frame.At(to, hex.chamferRadius, angle);
            default: return frame.At(to, bore, angle);
        }
    };
    grid.group = [=](int row, int column) {
        const int groups[6] = {faceIn, coneIn, -1, coneOut, faceOut, boreGroup};
        return row == 2 ? flats[column / flatColumns] : groups[row];
    };
    mesh.BeginPart("hex nut");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

}  // namespace meshgen
