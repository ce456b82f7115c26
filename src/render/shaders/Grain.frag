// Metal grains: the diffuse colour scaled by the half-vector term, never
// darker than 0.4 of it. The view vector comes from the grain's own unplaced
// vertex, which keeps a small grain evenly lit wherever it flies.
uniform mat4 u_modelViewMatrix;
uniform vec3 u_lightPos;
uniform vec3 u_eye;
uniform float u_alpha;

varying vec3 v_diffuse;
varying float v_alpha;
varying vec3 v_normal;
varying vec3 v_position;

void main() {
    vec4 p = u_modelViewMatrix * vec4(v_position, 1.0);
    p /= p.w;
    vec3 L = normalize(u_lightPos);
    vec3 V = normalize(u_eye - p.xyz);
    vec3 H = normalize(L + V);
    vec3 n = normalize(v_normal);
    vec3 colour = v_diffuse * clamp(dot(n, H), 0.4, 1.0);
    gl_FragColor = vec4(colour, v_alpha * u_alpha);
}
