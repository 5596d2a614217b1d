// Display lists: compiled once into static buffers (one per list, a vertex array per batch),
// called with one draw per batch. What a list leaves behind is what OpenGL's would: its
// materials, and the last normal, texture coordinate and colour it gave.
#include <cstring>

#include "layer_state.h"

void RecordBatch(LayerContext& context, std::vector<Vertex> triangles,
                 std::vector<unsigned> inherited) {
    if (triangles.empty()) return;
    DisplayList& list = context.builder.list;
    bool alike = true;
    for (unsigned mask : inherited) alike = alike && mask == inherited[0];
    if (alike) {
        // Drawn from the list's buffer: the usual case, every vertex given the same way.
        context.builder.staticSources.push_back(BatchSource{std::move(triangles), inherited[0]});
        list.steps.push_back(
            ListStep{ListStep::DrawStatic, static_cast<int>(context.builder.staticSources.size() - 1)});
    } else {
        // An attribute first given in the middle of the batch: the vertices before it take the
        // value current when the list is called, so these are streamed at each call.
        list.streamed.push_back(StreamedBatch{std::move(triangles), std::move(inherited)});
        list.steps.push_back(ListStep{ListStep::DrawStreamed, static_cast<int>(list.streamed.size() - 1)});
    }
}

void RecordMaterialCall(LayerContext& context, const MaterialCall& call) {
    DisplayList& list = context.builder.list;
    list.materials.push_back(call);
    list.steps.push_back(ListStep{ListStep::SetMaterial, static_cast<int>(list.materials.size() - 1)});
}

void RunDisplayList(LayerContext& context, const DisplayList& list) {
    for (const ListStep& step : list.steps) {
        switch (step.kind) {
        case ListStep::DrawStatic:
            DrawStaticBatch(context.renderer, list.geometry.batches[step.index], context.current,
                            CurrentShading(context));
            break;
        case ListStep::DrawStreamed: {
            const StreamedBatch& batch = list.streamed[step.index];
            std::vector<Vertex> vertices = batch.vertices;
            for (size_t v = 0; v < vertices.size(); v++) {
                for (int a = NormalAttribute; a < VertexAttributeCount; a++) {
                    if (!(batch.inherited[v] & (1u << a))) continue;
                    std::memcpy(vertices[v].values + AttributeOffsets[a], context.current[a],
                                AttributeSizes[a] * sizeof(float));
                }
            }
            DrawStreamedTriangles(context.renderer, vertices.data(), static_cast<int>(vertices.size()),
                                  CurrentShading(context));
            break;
        }
        case ListStep::SetMaterial:
            ApplyMaterialCall(context, list.materials[step.index]);
            break;
        }
    }
    for (int a = NormalAttribute; a < VertexAttributeCount; a++) {
        if (list.setsAttributes & (1u << a)) {
            std::memcpy(context.current[a], list.leaves[a], sizeof(list.leaves[a]));
        }
    }
}

extern "C" {

GLuint glGenLists(GLsizei range) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || range <= 0) return 0;
    // The first run of range unused names; they are reserved with empty lists.
    GLuint first = 1;
    for (auto it = context->lists.lower_bound(first); it != context->lists.end() && it->first < first + GLuint(range);
         it = context->lists.lower_bound(first)) {
        first = it->first + 1;
    }
    for (GLuint name = first; name < first + GLuint(range); name++) context->lists[name];
    return first;
}

void glNewList(GLuint list, GLenum mode) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || list == 0 || mode != GL_COMPILE || context->compiling || context->inBatch) return;
    context->compiling = true;
    context->builder = ListBuilder();
    context->builder.name = list;
}

void glEndList(void) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || !context->compiling || context->inBatch) return;
    context->compiling = false;
    ListBuilder& builder = context->builder;
    builder.list.geometry = MakeStaticGeometry(context->renderer, builder.staticSources);
    builder.list.setsAttributes = builder.given;
    std::memcpy(builder.list.leaves, builder.current, sizeof(builder.current));
    DisplayList& stored = context->lists[builder.name];
    DeleteStaticGeometry(context->renderer, stored.geometry);
    stored = std::move(builder.list);
    context->builder = ListBuilder();
}

void glCallList(GLuint list) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || context->inBatch) return;
    auto found = context->lists.find(list);
    if (found != context->lists.end()) RunDisplayList(*context, found->second);
}

}  // extern "C"
