// A whole burst in one draw: each copy of the grain shape is placed and
// turned from the uniform arrays entry its a_index names.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat3 u_normalMatrix;
uniform vec3 u_scale;
uniform vec4 u_orientations[128];
uniform vec4 u_positionsAlpha[128];
uniform float u_indexMaterials[128];

// Only the diffuse colour of the five grain metals shows.
struct Material {
    vec3 diffuse;
};
uniform Material u_materials[5];

attribute float a_index;
attribute vec3 a_position;
attribute vec3 a_normal;

varying vec3 v_diffuse;
varying float v_alpha;
varying vec3 v_normal;
varying vec3 v_position;

vec3 rotate(vec4 q, vec3 v) {
    return v + 2.0 * cross(q.xyz, cross(q.xyz, v) + q.w * v);
}

void main() {
    int n = int(a_index);
    int m = int(clamp(floor(u_indexMaterials[n] + 0.5), 0.0, 4.0));
    vec4 q = u_orientations[n];
    v_normal = u_normalMatrix * rotate(q, a_normal);
    vec3 position = rotate(q, a_position * u_scale) + u_positionsAlpha[n].xyz;
    gl_Position = u_modelViewProjectionMatrix * vec4(position, 1.0);
    v_diffuse = u_materials[m].diffuse;
    v_alpha = u_positionsAlpha[n].w;
    v_position = a_position;
}
