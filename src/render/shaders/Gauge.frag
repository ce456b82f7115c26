// Metal lit by the half-vector term from a light straight above the screen,
// never darker than 0.4 of its colour.
uniform vec3 u_lightPos;
uniform vec3 u_eye;
uniform float u_alpha;

varying vec4 v_position;
varying vec3 v_normal;
varying vec3 v_diffuse;

void main() {
    vec3 L = normalize(u_lightPos);
    vec3 V = normalize(u_eye - v_position.xyz / v_position.w);
    vec3 H = normalize(L + V);
    vec3 n = normalize(v_normal);
    gl_FragColor = vec4(v_diffuse * clamp(dot(n, H), 0.4, 1.0), u_alpha);
}
