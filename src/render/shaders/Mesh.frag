// Warm to cool: the side away from the sun takes the warm colour, the lit
// side the cool one, with a tight highlight on top.
uniform highpvec3 u_ambient;
uniform highpvec3 u_specular;
uniform highpvec3 u_cool;
uniform highpvec3 u_warm;
uniform highpfloat u_alpha;

varying highpvec3 v_normal;
varying highpvec3 v_light;
varying highpvec3 v_view;

void main() {
    highpvec3 n = normalize(v_normal);
    highpvec3 l = normalize(v_light);
    highpvec3 v = normalize(v_view);
    highpvec3 h = normalize(l + v);
    highpfloat nDotL = dot(l, n);
    highpfloat nDotH = clamp(dot(h, n), 0.0, 1.0);
    highpfloat specular = pow(nDotH, 64.0);
    highpfloat blend = 0.5 * nDotL + 0.5;
    highpvec3 gooch = mix(u_warm, u_cool, blend);
    highpvec3 colour = 0.4 * u_ambient + 0.8 * gooch + 0.9 * specular * u_specular;
    gl_FragColor = vec4(colour, u_alpha);
}
