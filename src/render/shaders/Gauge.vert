// The gauge ribbon: each ring carries its grade band's material index, looked
// up here because a fragment stage may not index a uniform array by a
// varying.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_modelViewMatrix;
uniform mat3 u_normalMatrix;

// Only the diffuse colour of the five grade metals shows.
struct Material {
    vec3 diffuse;
};
uniform Material u_materials[5];

attribute vec3 a_position;
attribute vec3 a_normal;
attribute float a_index;

varying vec4 v_position;
varying vec3 v_normal;
varying vec3 v_diffuse;

void main() {
    int m = int(clamp(floor(a_index + 0.5), 0.0, 4.0));
    v_diffuse = u_materials[m].diffuse;
    v_position = u_modelViewMatrix * vec4(a_position, 1.0);
    v_normal = u_normalMatrix * a_normal;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
