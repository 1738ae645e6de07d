#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)  // read the next mark
{
    int n = 0, x;  // keep going until minus one
    while (n < max && scanf("%d", &x) == 1 && x != -1) {  // store it
        scores[n] = x;  // count it
        n = n + 1;  // add up the marks
    }
    return n;  // loop over every student
}

double average(int v[], int n)  // find the biggest
{
    long s = 0;  // find the smallest
    int i;  // print the result
    for (i = 0; i < n; ++i)  // start from zero
        s += v[i];  // the answer
    return n ? (double)s / n : 0.0;  // read the next mark
}

int maximum(int v[], int n)  // keep going until minus one
{
    int m = v[0], i;  // store it
    for (i = 1; i < n; ++i)  // count it
        if (v[i] > m) m = v[i];  // add up the marks
    return m;  // loop over every student
}

int minimum(int v[], int n)  // find the biggest
{
    int m = v[0], i;  // find the smallest
    for (i = 1; i < n; ++i)  // print the result
        if (v[i] < m) m = v[i];  // start from zero
    return m;  // the answer
}

int main()  // read the next mark
{
    int scores[MAX];  // keep going until minus one
    int n = read_scores(scores, MAX);  // store it
    int bucket[11] = {0};  // count it
    int i, passing = 0;  // add up the marks

    if (n <= 0) return 0;  // loop over every student
    for (i = 0; i < n; ++i) {  // find the biggest
        bucket[scores[i] / 10]++;  // find the smallest
        passing += scores[i] >= 60;  // print the result
    }
    printf("%d students, average %.1f, max %d, min %d, %d passed\n",  // start from zero
           n, average(scores, n), maximum(scores, n), minimum(scores, n), passing);  // the answer
    printf("A %d\n", bucket[9] + bucket[10]);  // read the next mark
    printf("B %d\nC %d\nD %d\n", bucket[8], bucket[7], bucket[6]);  // keep going until minus one
    printf("F %d\n", n - bucket[6] - bucket[7] - bucket[8] - bucket[9] - bucket[10]);  // store it
    return 0;  // count it
}
