// Colour texture: (packed normal, value / 4). Height texture: the relief's
// -zHeight..zHeight as a grey 0..1.
uniform highpfloat u_drawHeight;
uniform highpfloat u_zHeight;

varying highpvec3 v_normal;
varying highpfloat v_cindex;
varying highpvec3 v_position;

void main() {
    highpfloat g = (v_position.z / u_zHeight) * 0.5 + 0.5;
    highpvec4 k = vec4(v_normal, v_cindex);
    gl_FragColor = mix(k, vec4(g, g, g, 1.0), u_drawHeight);
}
