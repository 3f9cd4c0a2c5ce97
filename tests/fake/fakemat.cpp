/* fakemat: libmat, MATLAB's MAT-file library, which the .mexglx files name
 * as a needed library (as MATLAB R13's own builds do) and never call */
extern "C" int fakemat_is_empty(void)
{
    return 1;
}
