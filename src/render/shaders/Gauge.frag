// Metal lit by the half-vector term from a light straight above the screen,
// never darker than 0.4 of its colour.
uniform vec3 u_lightPos;
uniform vec3 u_eye;
uniform float u_alpha;

// Only the diffuse colour of the five grade metals shows.
struct Material {
    vec3 diffuse;
};
uniform Material u_materials[5];

varying vec4 v_position;
varying vec3 v_normal;
varying float v_index;

void main() {
    // A fragment stage may index a uniform array only by a loop index.
    float m = clamp(floor(v_index + 0.5), 0.0, 4.0);
    vec3 diffuse = u_materials[0].diffuse;
    for (int i = 1; i < 5; ++i) {
        if (float(i) == m) {
            diffuse = u_materials[i].diffuse;
        }
    }
    vec3 L = normalize(u_lightPos);
    vec3 V = normalize(u_eye - v_position.xyz / v_position.w);
    vec3 H = normalize(L + V);
    vec3 n = normalize(v_normal);
    gl_FragColor = vec4(diffuse * clamp(dot(n, H), 0.4, 1.0), u_alpha);
}
