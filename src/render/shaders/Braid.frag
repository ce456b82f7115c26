// Gooch warm-to-cool shading with a Blinn highlight, one material per braid.
struct Material {
    vec3 ambient;
    vec3 warm;
    vec3 cool;
    vec3 specular;
    float shininess;
};
uniform Material u_materials[4];
uniform float u_alpha;

varying vec3 v_normal;
varying vec3 v_light;
varying vec3 v_view;
varying float v_index;

const float Ka = 0.5;
const float Kd = 1.0;
const float Ks = 0.3;

void main() {
    vec3 n = normalize(v_normal);
    vec3 L = normalize(v_light);
    vec3 h = normalize(v_light + v_view);
    // Halves round up: an index of 0.5 picks material 1. Indices outside the
    // four materials are clamped, so no braid reads past the array.
    int k = int(clamp(floor(v_index + 0.5), 0.0, 3.0));
    Material m;
    if (k == 0) {
        m = u_materials[0];
    } else if (k == 1) {
        m = u_materials[1];
    } else if (k == 2) {
        m = u_materials[2];
    } else {
        m = u_materials[3];
    }
    float NdotL = dot(L, n);
    float NdotH = clamp(dot(h, n), 0.0, 1.0);
    float s = pow(NdotH, m.shininess);
    float t = (NdotL + 1.0) * 0.5;
    vec3 gooch = m.cool + (m.warm - m.cool) * t;
    vec3 colour = Ka * m.ambient + Kd * gooch + Ks * s * m.specular;
    gl_FragColor = vec4(colour, u_alpha);
}
