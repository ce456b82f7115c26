// A balloon lit from the viewer: plain diffuse, no highlight.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat3 u_normalMatrix;
uniform vec4 u_color;

attribute vec3 a_position;
attribute vec3 a_normal;

varying lowp vec4 v_color;

void main() {
    vec3 n = normalize(u_normalMatrix * a_normal);
    float d = max(0.0, dot(n, vec3(0.0, 0.0, 1.0)));
    v_color = u_color * d;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
