#include <stdio.h>

#define MAX 100

/* ��ʦ�ṩ������ɼ����� -1 �������������� */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

double average(int v[], int n)
{
    long s = 0;
    int i = 0;
    double result;
    while (i < n) {
        s = s + v[i];
        i = i + 1;
    }
    if (n == 0)
        return 0.0;
    result = (double)s;
    result = result / n;
    return result;
}

int maximum(int v[], int n)
{
    int m, i;
    m = v[0];
    for (i = 1; i < n; ++i) {
        if (v[i] > m)
            m = v[i];
    }
    return m;
}

int minimum(int v[], int n)
{
    int m, i;
    m = v[0];
    for (i = 1; i < n; ++i) {
        if (v[i] < m)
            m = v[i];
    }
    return m;
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int bucket[11] = {0};
    int i, passing = 0;
    int a, f;

    if (n <= 0) return 0;
    for (i = 0; i < n; ++i) {
        int tens = scores[i] / 10;
        bucket[tens]++;
        if (scores[i] >= 60)
            passing++;
    }
    printf("%d students, average %.1f, max %d, min %d, %d passed\n",
           n, average(scores, n), maximum(scores, n), minimum(scores, n), passing);
    a = bucket[9] + bucket[10];
    printf("A %d\n", a);
    printf("B %d\nC %d\nD %d\n", bucket[8], bucket[7], bucket[6]);
    f = n - bucket[6] - bucket[7] - bucket[8];
    f = f - bucket[9] - bucket[10];
    printf("F %d\n", f);
    return 0;
}
