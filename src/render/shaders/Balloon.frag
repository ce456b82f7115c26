// The opacity is the balloon's own, however the light falls.
uniform vec4 u_color;

varying lowp vec4 v_color;

void main() {
    gl_FragColor = vec4(v_color.rgb, u_color.a);
}
